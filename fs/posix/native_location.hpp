#pragma once
// A file-system path made ready for the POSIX *at() calls: a folder descriptor and the
// rest of the path relative to it. Long paths are opened folder part first, in pieces
// short enough for the kernel, so paths beyond PATH_MAX work (as the extended-length form
// lifts the length limit on Windows). Every path is looked up by name, each time: nothing
// is kept from one call to the next. Short paths go to the kernel whole.
#include <fcntl.h>

#include <string>
#include <string_view>

namespace ferrowick::fs {

class NativeLocation {
public:
    explicit NativeLocation(std::u16string_view path);
    ~NativeLocation();
    NativeLocation(const NativeLocation&) = delete;
    NativeLocation& operator=(const NativeLocation&) = delete;

    int Error() const { return error_; }    // errno of a failed walk, 0 when ready
    int Folder() const { return folder_; }  // AT_FDCWD or a descriptor owned here
    const char* Rest() const { return rest_.c_str(); }

private:
    int folder_ = AT_FDCWD;
    int error_ = 0;
    std::string rest_;
};

}  // namespace ferrowick::fs
