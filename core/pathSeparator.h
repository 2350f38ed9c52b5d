#pragma once

// The separator the running system puts between path components. Package
// paths may use either slash; names built for the disk use this one.
#ifdef _WIN32
inline constexpr char pathSeparator = '\\';
#else
inline constexpr char pathSeparator = '/';
#endif
