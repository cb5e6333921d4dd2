// The OS's own screen-saver password: the saver keeps none of its own.
#pragma once

#include <cstdint>

#include "seam/password_system.h"

namespace qs3 {

inline constexpr char kVerifyModule[] = "password.cpl";
inline constexpr char kVerifyEntry[] = "VerifyScreenSavePwd";
inline constexpr char kChangeModule[] = "mpr.dll";
inline constexpr char kChangeEntry[] = "PwdChangePasswordA";
inline constexpr char kPasswordProvider[] = "SCRSAVE";

// Nonzero when the full-screen saver may end. Every missing piece (value,
// module, entry) counts as no password. Loads and frees the module anew on
// every call.
std::int32_t CheckPassword(PasswordSystem& system, WindowHandle window);

// Shows the OS's change-password dialog; does nothing when it is missing.
void RunPasswordChange(PasswordSystem& system, WindowHandle window);

}  // namespace qs3
