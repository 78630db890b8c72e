#include "tests/sip/RegistrarScenario.h"
#include "tests/support/SippScenario.h"

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

// The office's call to the registered contact, rung and then cancelled.
std::string call() {
    const std::string contact = "sip:[$contact]";
    const std::string from = "From: <sip:0452223333@pbx.test>;tag=[pid]inv\n";
    const std::string to = "To: <sip:201@pbx.test>\n";
    return "<pause milliseconds=\"200\"/>\n" +
           sipp::request("INVITE", contact, sipp::kVia + from + to, 10,
                         "Contact: <sip:pbx@[local_ip]:[local_port]>\n"
                         "P-Asserted-Identity: <sip:+81452223333@pbx.test>\n",
                         true) +
           sipp::kRinging + sipp::request("CANCEL", contact, "[last_Via:]\n" + from + to, 10) +
           sipp::okTo("CANCEL") + "<recv response=\"487\"/>\n" +
           sipp::request("ACK", contact, "[last_Via:]\n" + from + "[last_To:]\n", 10);
}

std::string scenario(const std::string& body) {
    return sipp::scenario("registrar", body);
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
                    granted(60) + call());
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
