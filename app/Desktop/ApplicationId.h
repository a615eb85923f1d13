#pragma once

namespace holdra {

// The one name the desktop knows Holdra by: the desktop entry
// ("com.tessavel.Holdra.desktop"), the icon, the D-Bus name, the sound events'
// application and the AppStream component. packaging/CMakeLists.txt names the
// installed files after the same string.
inline constexpr auto applicationId = "com.tessavel.Holdra";
inline constexpr auto desktopEntryId = "com.tessavel.Holdra.desktop";

} // namespace holdra
