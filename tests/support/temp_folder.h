#pragma once

#include <string>

#include "support/file_bytes.h"

namespace veltrop::testing {

// A fresh folder under /tmp that becomes the working directory for the object's
// lifetime; the previous working directory is restored and the folder removed after.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
    std::string previous_;
};

}  // namespace veltrop::testing
