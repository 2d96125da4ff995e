#pragma once

#include "engine/table_file.h"

namespace veltrop {

// A record lock held from construction until release() or destruction, so that no
// path out of an edit can leave the record locked.
class RecordLock {
public:
    RecordLock() = default;
    // Fails with the engine's RecordLocked when another holder has the record.
    RecordLock(engine::TableFile& file, engine::RecordNumber number)
        : file_(&file), number_(number) {
        file.lock(number);
    }
    ~RecordLock() { release(); }
    RecordLock(RecordLock&& other) noexcept : file_(other.file_), number_(other.number_) {
        other.file_ = nullptr;
    }
    RecordLock& operator=(RecordLock&& other) noexcept {
        if (this != &other) {
            release();
            file_ = other.file_;
            number_ = other.number_;
            other.file_ = nullptr;
        }
        return *this;
    }

    void release() noexcept {
        if (file_) {
            file_->unlock(number_);
            file_ = nullptr;
        }
    }

private:
    engine::TableFile* file_ = nullptr;
    engine::RecordNumber number_ = 0;
};

}  // namespace veltrop
