#include "plugins/KTComm3ip/SipAgent.h"

#include "plugins/KTComm3ip/CallerIdentity.h"

#include <sofia-sip/msg_addr.h>
#include <sofia-sip/msg_header.h>
#include <sofia-sip/nta_tag.h>
#include <sofia-sip/nua_tag.h>
#include <sofia-sip/sip_extra.h>
#include <sofia-sip/sip_header.h>
#include <sofia-sip/sip_status.h>

#include <chrono>
#include <cstring>
#include <ctime>
#include <strings.h>

namespace kanata::adapter {
namespace {

// Ending the registration politely must not hold up closing the line when
// the PBX does not answer: after this long the un-REGISTER is dropped, and
// after as long again the line stops waiting for the stack.
constexpr su_duration_t kShutdownGuardMs = 1500;
// A PBX on the office network answers in milliseconds; waiting the standard
// 32 s before calling a silent one unreachable helps nobody.
constexpr unsigned kTransactionTimeoutMs = 8000;

std::string userOf(const url_t* url) {
    if (!url)
        return {};
    if (url->url_user)
        return url->url_user;
    // tel:+81312345678 keeps the number where a sip: URI has its host.
    if (url->url_type == url_tel && url->url_host)
        return url->url_host;
    return {};
}

bool hidesNumber(const char* rpidPrivacy) {
    return rpidPrivacy &&
           (strcasecmp(rpidPrivacy, "full") == 0 || strcasecmp(rpidPrivacy, "uri") == 0);
}

CallerHeaders callerHeaders(sip_t const* sip) {
    CallerHeaders headers;
    // Several header lines and comma-separated values alike are one chain.
    for (const sip_p_asserted_identity_t* paid = sip_p_asserted_identity(sip); paid;
         paid = paid->paid_next)
        headers.assertedIdentities.push_back(
            {userOf(paid->paid_url), paid->paid_url->url_type == url_tel});
    if (const sip_remote_party_id_t* rpid = sip_remote_party_id(sip)) {
        headers.remotePartyId = userOf(rpid->rpid_url);
        headers.remotePartyPrivate = hidesNumber(rpid->rpid_privacy);
    }
    if (sip->sip_from)
        headers.fromUser = userOf(sip->sip_from->a_url);
    if (const sip_privacy_t* privacy = sip_privacy(sip))
        for (msg_param_t const* v = privacy->priv_values; v && *v; ++v)
            headers.privacy.emplace_back(*v);
    return headers;
}

std::vector<std::string> addressedUsers(sip_t const* sip) {
    std::vector<std::string> users;
    if (sip->sip_request)
        users.push_back(userOf(sip->sip_request->rq_url));
    if (sip->sip_to)
        users.push_back(userOf(sip->sip_to->a_url));
    return users;
}

bool isOutOfCallRequest(nua_event_t event) {
    switch (event) {
    case nua_i_options:
    case nua_i_refer:
    case nua_i_publish:
    case nua_i_message:
    case nua_i_subscribe:
    case nua_i_notify:
    case nua_i_method:
        return true;
    default:
        return false;
    }
}

std::string quoted(std::string value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value;
    return "\"" + value + "\"";
}

} // namespace

SipAgent::SipAgent(su_root_t* root, SipSettings settings, EventPoster poster)
    : root_(root), settings_(std::move(settings)), poster_(poster),
      registrar_(parseHostAndPort(settings_.host)), tracker_(settings_.host, settings_.user),
      sources_(settings_) {}

SipAgent::~SipAgent() {
    if (retryTimer_)
        su_timer_destroy(retryTimer_);
    if (shutdownGuard_)
        su_timer_destroy(shutdownGuard_);
    // A stack that did not finish its shutdown in time is left alone:
    // destroying it then would pull its state away under pending work.
    if (nua_ && shutdownComplete_)
        nua_destroy(nua_);
}

namespace {

// The parser that also knows P-Asserted-Identity, Remote-Party-ID and
// Privacy; made once and shared by every line the process opens.
msg_mclass_t* extendedParser() {
    static msg_mclass_t* const parser = sip_extend_mclass(nullptr);
    return parser;
}

} // namespace

bool SipAgent::start(const std::string& listenAddress) {
    const std::string url = "sip:" + (listenAddress.empty() ? std::string("*") : listenAddress) +
                            ":" + std::to_string(settings_.localPort);
    nua_ = nua_create(root_, &SipAgent::onEvent, this, NUTAG_URL(url.c_str()),
                      NUTAG_SIP_PARSER(extendedParser()), NUTAG_AUTOANSWER(0), NUTAG_AUTOALERT(0),
                      NUTAG_MEDIA_ENABLE(0), NTATAG_SIP_T1X64(kTransactionTimeoutMs), TAG_END());
    if (!nua_)
        return false;
    retryTimer_ = su_timer_create(su_root_task(root_), 0);
    shutdownGuard_ = su_timer_create(su_root_task(root_), kShutdownGuardMs);
    startRegistration();
    return true;
}

void SipAgent::startRegistration() {
    if (settings_.host.empty())
        return; // calls sent straight to the local port only
    if (!registrar_) {
        report({true, kErrorPbxUnreachable,
                "IP-PBX のアドレス「" + settings_.host +
                    "」が正しくありません\r\n環境設定の詳細設定でIPアドレスを確認してください"});
        return;
    }
    const std::string aor =
        "sip:" + settings_.user + "@" + registrar_->host + ":" + std::to_string(registrar_->port);
    registration_ = nua_handle(nua_, nullptr, SIPTAG_TO_STR(aor.c_str()),
                               SIPTAG_FROM_STR(aor.c_str()), TAG_END());
    sendRegister();
}

void SipAgent::sendRegister() {
    const std::string registrar =
        "sip:" + registrar_->host + ":" + std::to_string(registrar_->port);
    const std::string expires = std::to_string(settings_.registerExpires);
    authenticated_ = false;
    nua_register(registration_, NUTAG_REGISTRAR(URL_STRING_MAKE(registrar.c_str())),
                 NUTAG_M_USERNAME(settings_.user.c_str()), SIPTAG_EXPIRES_STR(expires.c_str()),
                 TAG_END());
}

void SipAgent::shutdown() {
    if (shuttingDown_)
        return;
    shuttingDown_ = true;
    su_timer_reset(retryTimer_);
    if (registration_ && tracker_.registered()) {
        // Take the registration back, so the PBX stops forking calls here;
        // but only as long as a PBX on the office network needs to answer.
        su_timer_set(shutdownGuard_, &SipAgent::onUnregisterGuard, this);
        nua_unregister(registration_, TAG_END());
        return;
    }
    stopStack();
}

void SipAgent::stopStack() {
    if (stackStopping_)
        return;
    stackStopping_ = true;
    // Dropping the handle abandons a pending un-REGISTER; the stack would
    // otherwise hold the local port until its transaction times out.
    if (registration_) {
        nua_handle_destroy(registration_);
        registration_ = nullptr;
    }
    su_timer_set(shutdownGuard_, &SipAgent::onShutdownGuard, this);
    nua_shutdown(nua_);
}

void SipAgent::onUnregisterGuard(su_root_magic_t*, su_timer_t*, su_timer_arg_t* self) {
    static_cast<SipAgent*>(self)->stopStack();
}

void SipAgent::onShutdownGuard(su_root_magic_t*, su_timer_t*, su_timer_arg_t* self) {
    static_cast<SipAgent*>(self)->finish();
}

void SipAgent::finish() {
    su_timer_reset(shutdownGuard_);
    su_root_break(root_);
}

void SipAgent::onEvent(nua_event_t event, int status, char const* phrase, nua_t*,
                       nua_magic_t* magic, nua_handle_t* nh, nua_hmagic_t*, sip_t const* sip,
                       tagi_t tags[]) {
    static_cast<SipAgent*>(magic)->handle(event, status, phrase ? phrase : "", nh, sip, tags);
}

void SipAgent::handle(nua_event_t event, int status, const std::string& phrase, nua_handle_t* nh,
                      sip_t const* sip, tagi_t tags[]) {
    switch (event) {
    case nua_r_register:
        onRegisterResult(status, phrase, nh, sip);
        return;
    case nua_r_unregister:
        if (shuttingDown_ && status >= 200) {
            su_timer_reset(shutdownGuard_);
            stopStack();
        }
        return;
    case nua_i_invite:
        onInvite(nh, sip);
        return;
    case nua_i_state:
        onCallState(nh, tags);
        return;
    case nua_r_shutdown:
        if (status >= 200) {
            shutdownComplete_ = true;
            finish();
        }
        return;
    default:
        // Requests outside a call (OPTIONS, MESSAGE, ...) are answered by
        // the stack; the handles it made for them are ours to free.
        if (nh && nh != registration_ && !calls_.contains(nh) && isOutOfCallRequest(event))
            nua_handle_destroy(nh);
        return;
    }
}

void SipAgent::onRegisterResult(int status, const std::string& phrase, nua_handle_t* nh,
                                sip_t const* sip) {
    if (status < 200 || shuttingDown_)
        return;
    if ((status == 401 || status == 407) && !authenticated_ && authenticate(nh, sip))
        return;
    if (status < 300)
        authenticated_ = false; // a renewal may be challenged afresh
    const RegistrationStep step = tracker_.onResult(status, phrase);
    if (step.report)
        report(*step.report);
    if (step.retryIn)
        su_timer_set_interval(
            retryTimer_, &SipAgent::onRetryTimer, this,
            static_cast<su_duration_t>(std::chrono::milliseconds(*step.retryIn).count()));
}

bool SipAgent::authenticate(nua_handle_t* nh, sip_t const* sip) {
    const msg_auth_t* challenge = sip && sip->sip_www_authenticate ? sip->sip_www_authenticate
                                  : sip                            ? sip->sip_proxy_authenticate
                                                                   : nullptr;
    if (!challenge || !challenge->au_scheme)
        return false;
    const char* realm = msg_params_find(challenge->au_params, "realm=");
    const std::string credentials = std::string(challenge->au_scheme) + ":" +
                                    quoted(realm ? realm : "") + ":" + settings_.user + ":" +
                                    settings_.password;
    authenticated_ = true;
    nua_authenticate(nh, NUTAG_AUTH(credentials.c_str()), TAG_END());
    return true;
}

void SipAgent::onRetryTimer(su_root_magic_t*, su_timer_t*, su_timer_arg_t* self) {
    auto* agent = static_cast<SipAgent*>(self);
    if (!agent->shuttingDown_ && agent->registration_)
        agent->sendRegister();
}

void SipAgent::onInvite(nua_handle_t* nh, sip_t const* sip) {
    if (!fromAcceptedSource()) {
        nua_respond(nh, SIP_403_FORBIDDEN, TAG_END());
        calls_.insert(nh);
        return;
    }
    if (!sip || !isWatchedCall(settings_.watchedNumbers, addressedUsers(sip))) {
        nua_respond(nh, SIP_404_NOT_FOUND, TAG_END());
        calls_.insert(nh);
        return;
    }
    calls_.insert(nh);
    poster_.callData(callDataLine(callerNumberOrReason(callerHeaders(sip)), std::time(nullptr)));
    // Ringing, never answered: the office's telephones take the call.
    nua_respond(nh, SIP_180_RINGING, TAG_END());
}

// The request being handled is the INVITE; its message knows the address
// it came from, whatever its headers claim.
bool SipAgent::fromAcceptedSource() {
    if (!sources_.restricted())
        return true;
    su_sockaddr_t from{};
    socklen_t size = sizeof from;
    msg_t* request = nua_current_request(nua_);
    const auto source = request && msg_get_address(request, &from, &size) == 0
                            ? sourceAddressOf(&from.su_sa)
                            : std::nullopt;
    if (source && sources_.admits(*source))
        return true;
    if (!refusalReported_) {
        refusalReported_ = true;
        const std::string who = source ? source->address : "不明";
        report({false, kNoticeCallRefused,
                "IP-PBX 以外の機器（" + who +
                    "）からの着信を拒否しました\r\nIP-PBX からの着信であれば、KTComm3ip.ini の "
                    "[IPPBX] AcceptFrom にそのアドレスを加えてください"});
    }
    return false;
}

void SipAgent::onCallState(nua_handle_t* nh, tagi_t tags[]) {
    int state = nua_callstate_init;
    tl_gets(tags, NUTAG_CALLSTATE_REF(state), TAG_END());
    if (state != nua_callstate_terminated || !calls_.erase(nh))
        return;
    nua_handle_destroy(nh);
}

void SipAgent::report(const LineReport& line) const {
    if (line.isError)
        poster_.error(line.code, line.textUtf8);
    else
        poster_.notice(line.code, line.textUtf8);
}

} // namespace kanata::adapter
