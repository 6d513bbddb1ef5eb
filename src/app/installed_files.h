// What an installed tessaril finds beside itself: the shipped Tessaril.ini
// (seeding the per-user copy that a start from a folder without one uses)
// and the README that Help, Website opens. A run from the build tree finds
// none of them and behaves as before.
#pragma once

#include <string>

// When the working directory holds no Tessaril.ini and this is an installed
// program, points settings.startDirectory at the per-user folder,
// ${XDG_CONFIG_HOME:-~/.config}/tessaril, copying the shipped Tessaril.ini
// there first if it has none; the launcher uses the same folder in the same
// way. Otherwise (or when that folder cannot be made) nothing changes, and
// start-up reports the missing file as ever.
void UsePerUserSettingsWhereNeeded();

// The address Help, Website opens: the one the build was given, else the
// installed README when this is an installed program, else the source
// tree's README.
std::string WebsiteAddress();
