#pragma once
// The SIP user agent behind SipLine, on the SIP thread only: the
// registration with its renewals and retries, and the incoming calls.
#include "plugins/KTComm3ip/InviteSources.h"
#include "plugins/KTComm3ip/RegistrationTracker.h"
#include "plugins/KTComm3ip/SipSettings.h"
#include "plugins/common/CallData.h"

#include <sofia-sip/nua.h>
#include <sofia-sip/su_wait.h>

#include <optional>
#include <set>
#include <string>

namespace kanata::adapter {

class SipAgent {
public:
    SipAgent(su_root_t* root, SipSettings settings, EventPoster poster);
    ~SipAgent();
    SipAgent(const SipAgent&) = delete;
    SipAgent& operator=(const SipAgent&) = delete;

    // Binds sip:<address>:<LocalPort> ("" = every address) and starts
    // registering. False when the stack cannot listen there.
    bool start(const std::string& listenAddress);
    // Unregisters and shuts the stack down; the root's loop ends when done.
    void shutdown();

private:
    static void onEvent(nua_event_t event, int status, char const* phrase, nua_t* nua,
                        nua_magic_t* magic, nua_handle_t* nh, nua_hmagic_t* hmagic,
                        sip_t const* sip, tagi_t tags[]);
    static void onRetryTimer(su_root_magic_t*, su_timer_t*, su_timer_arg_t* self);
    static void onUnregisterGuard(su_root_magic_t*, su_timer_t*, su_timer_arg_t* self);
    static void onShutdownGuard(su_root_magic_t*, su_timer_t*, su_timer_arg_t* self);

    void handle(nua_event_t event, int status, const std::string& phrase, nua_handle_t* nh,
                sip_t const* sip, tagi_t tags[]);
    void startRegistration();
    void sendRegister();
    void onRegisterResult(int status, const std::string& phrase, nua_handle_t* nh,
                          sip_t const* sip);
    bool authenticate(nua_handle_t* nh, sip_t const* sip);
    void onInvite(nua_handle_t* nh, sip_t const* sip);
    bool fromAcceptedSource();
    void onCallState(nua_handle_t* nh, tagi_t tags[]);
    void report(const LineReport& line) const;
    void stopStack();
    void finish();

    su_root_t* root_;
    SipSettings settings_;
    EventPoster poster_;
    std::optional<HostAndPort> registrar_;
    RegistrationTracker tracker_;
    InviteSources sources_;
    bool refusalReported_ = false; // told once per open, so a flood is no flood of boxes
    nua_t* nua_ = nullptr;
    nua_handle_t* registration_ = nullptr;
    su_timer_t* retryTimer_ = nullptr;
    su_timer_t* shutdownGuard_ = nullptr;
    std::set<nua_handle_t*> calls_;
    bool authenticated_ = false; // credentials sent for the current attempt
    bool shuttingDown_ = false;
    bool stackStopping_ = false;
    bool shutdownComplete_ = false;
};

} // namespace kanata::adapter
