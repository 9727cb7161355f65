// What the program says of itself wherever it is asked: its home page and its version.
#pragma once

// The address that "Help" opens.
inline constexpr const char* kProductPage = "https://www.sonvarra.com/";
// The version the build gives the project.
inline constexpr const char* kProductVersion = SONVARRA_VERSION;
