#include "fs/readable_file.hpp"

#include <utility>

namespace ferrowick::fs {

ReadableFile::ReadableFile(ReadableFile&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)),
      size_(other.size_),
      error_(other.error_),
      problem_(std::move(other.problem_)) {}

ReadableFile& ReadableFile::operator=(ReadableFile&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0) CloseDescriptor(descriptor_);
        descriptor_ = std::exchange(other.descriptor_, -1);
        size_ = other.size_;
        error_ = other.error_;
        problem_ = std::move(other.problem_);
    }
    return *this;
}

ReadableFile::~ReadableFile() {
    if (descriptor_ >= 0) CloseDescriptor(descriptor_);
}

int ReadableFile::Release() { return std::exchange(descriptor_, -1); }

}  // namespace ferrowick::fs
