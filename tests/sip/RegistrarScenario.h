#pragma once
// sipp playing the office IP-PBX: a registrar that challenges with digest
// authentication and checks the answer, grants a short registration so that
// it must be renewed, then sends a call to the registered contact.
#include <string>

namespace kanata::test {

// `user`/`password`: what the registrar accepts; anything else is refused.
std::string registrarScenario(const std::string& user, const std::string& password);
// Refuses one REGISTER (run it for as many calls as attempts expected: a
// fresh attempt comes with a fresh Call-ID).
std::string refusingRegistrarScenario();
// Grants the first registration for one second and never answers again.
std::string vanishingRegistrarScenario();
// Grants the registration (and says so with a file "registered" in its
// folder), then answers nothing more.
std::string silentRegistrarScenario();

} // namespace kanata::test
