#include "tests/sip/RegistrarScenario.h"

namespace kanata::test {
namespace {

std::string answer(const std::string& status, const std::string& extra) {
    return R"x(<send><![CDATA[
SIP/2.0 )x" +
           status +
           R"x(
[last_Via:]
[last_From:]
[last_To:];tag=[pid]SIPpTag01[call_number]
[last_Call-ID:]
[last_CSeq:]
)x" + extra +
           R"x(Content-Length: 0

]]></send>
)x";
}

const std::string kChallenge =
    "WWW-Authenticate: Digest realm=\"pbx.test\", nonce=\"4a1b2c3d\", algorithm=MD5\n";

std::string granted(int seconds) {
    const std::string s = std::to_string(seconds);
    return answer("200 OK", "Contact: <sip:[$contact]>;expires=" + s + "\nExpires: " + s + "\n");
}

const std::string kRecordContact = R"x(<recv request="REGISTER">
  <action><ereg regexp="&lt;sip:([^&gt;;]*)" search_in="hdr" header="Contact:" assign_to="c,contact"/>
  <log message="[$c] [$contact]"/></action>
</recv>
)x";

const std::string kCall = R"x(<pause milliseconds="200"/>
<send retrans="500"><![CDATA[
INVITE sip:[$contact] SIP/2.0
Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]
From: <sip:0452223333@pbx.test>;tag=[pid]inv
To: <sip:201@pbx.test>
Call-ID: [call_id]
CSeq: 10 INVITE
Contact: <sip:pbx@[local_ip]:[local_port]>
P-Asserted-Identity: <sip:+81452223333@pbx.test>
Max-Forwards: 70
Content-Length: 0

]]></send>
<recv response="100" optional="true"/>
<recv response="180"/>
<send><![CDATA[
CANCEL sip:[$contact] SIP/2.0
[last_Via:]
From: <sip:0452223333@pbx.test>;tag=[pid]inv
To: <sip:201@pbx.test>
Call-ID: [call_id]
CSeq: 10 CANCEL
Max-Forwards: 70
Content-Length: 0

]]></send>
<recv response="200">
  <action><ereg regexp="CANCEL" search_in="hdr" header="CSeq:" check_it="true" assign_to="m"/>
  <log message="[$m]"/></action>
</recv>
<recv response="487"/>
<send><![CDATA[
ACK sip:[$contact] SIP/2.0
[last_Via:]
From: <sip:0452223333@pbx.test>;tag=[pid]inv
[last_To:]
Call-ID: [call_id]
CSeq: 10 ACK
Max-Forwards: 70
Content-Length: 0

]]></send>
)x";

std::string scenario(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<scenario name=\"registrar\">\n" + body +
           "</scenario>\n";
}

} // namespace

std::string registrarScenario(const std::string& user, const std::string& password) {
    return scenario(kRecordContact + answer("401 Unauthorized", kChallenge) +
                    R"x(<recv request="REGISTER">
  <action><verifyauth assign_to="authok" username=")x" +
                    user + R"x(" password=")x" + password + R"x("/></action>
</recv>
<nop test="authok" next="good"/>
)x" + answer("403 Forbidden", "") +
                    R"x(<recv request="NEVER"/>
<label id="good"/>
)x" + granted(2) + "<recv request=\"REGISTER\"/>\n" +
                    granted(60) + kCall);
}

std::string refusingRegistrarScenario() {
    return scenario("<recv request=\"REGISTER\"/>\n" + answer("403 Forbidden", ""));
}

std::string vanishingRegistrarScenario() {
    return scenario(kRecordContact + granted(1) + "<recv request=\"REGISTER\"/>\n");
}

std::string silentRegistrarScenario() {
    return scenario(kRecordContact + granted(60) +
                    "<nop><action><exec command=\"touch registered\"/></action></nop>\n"
                    "<recv request=\"REGISTER\"/>\n<pause milliseconds=\"15000\"/>\n");
}

} // namespace kanata::test
