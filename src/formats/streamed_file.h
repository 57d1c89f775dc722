// A file written piece by piece that replaces its target only when it is
// complete: the pieces go to a temporary file beside the target, which takes
// the target's place on commit. A failed or abandoned write leaves the
// previous file as it was.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace vemra {

class StreamedFile {
public:
    StreamedFile() = default;
    StreamedFile(const StreamedFile&) = delete;
    StreamedFile& operator=(const StreamedFile&) = delete;
    // Removes the temporary file unless it was committed.
    ~StreamedFile();

    // Creates the temporary file for fileName. Returns the message for the
    // user on failure ("Die Datei ... konnte nicht geschrieben werden:\r"...).
    std::optional<std::string> open(const std::string& fileName);
    // False after a write error (commit then reports it).
    bool write(std::string_view bytes);
    // Closes the temporary file and renames it onto the target.
    std::optional<std::string> commit();
    void abandon();
    // The system's reason for the last failure, without the file name.
    const std::string& reason() const { return reason_; }

private:
    std::string failure(const std::string& reason);

    std::string fileName_;
    std::string reason_;
    std::string target_;
    std::string temp_;
    std::FILE* file_ = nullptr;
    int error_ = 0;
    unsigned permissions_ = 0;
    bool keepPermissions_ = false;
};

} // namespace vemra
