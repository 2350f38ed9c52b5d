#pragma once

#include <string>

// The lines every run prints before it asks for the package.
inline const std::string banner =
    "This program can unpack all image resource from resource-package, Programming By Kestrivan\n"
    "The Key Is : 4817263905172634851 OR 3920481756203948172 OR 12093847561029384756\n"
    "Choose ResourcePackage\n"
    "\t.obb : Android\n"
    "\t.rsb : iOS\n"
    "\t.rsb.smf : Android(Ver.CN)\n";
