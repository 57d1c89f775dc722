// Parts of file names as the product shows and checks them. Names may come
// in Windows or POSIX form (projects move between machines), so "\", "/"
// and ":" all separate folders.
#pragma once

#include <string>

namespace vemra {

// Everything after the last separator.
std::string fileNamePart(const std::string& path);
// The folder including its trailing separator; empty without one.
std::string folderPart(const std::string& path);
// The extension of the file name from its last "." on, or empty.
std::string extensionPart(const std::string& path);

// The extension a save dialog's file type gives a name typed without one:
// ".emf" for the pattern "*.emf", that of the first pattern of a list
// ("*.rx4;*.RX4"), none for "*.*" or a pattern that is no plain extension.
std::string patternExtension(const std::string& pattern);

} // namespace vemra
