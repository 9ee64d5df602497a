#include "core/std_descriptors.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace aqvis {

bool Hold_Closed_Standard_Descriptors()
{
    bool held = true;
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The other way round from the stream's use, so that it keeps failing.
        const int flags = fd == STDIN_FILENO ? O_WRONLY : O_RDONLY;
        int stand_in = ::open("/dev/null", flags | O_NOCTTY);
        // Without /dev/null (a bare chroot) the root directory serves: it can
        // be neither read as a stream nor written.
        if (stand_in < 0) stand_in = ::open("/", O_RDONLY | O_DIRECTORY);
        if (stand_in < 0) {
            held = false;
            continue;
        }
        if (stand_in != fd) {
            // The lower descriptors are taken, so open() gave this one unless
            // it failed over to another number: move it.
            const int moved = ::dup2(stand_in, fd);
            ::close(stand_in);
            if (moved != fd) held = false;
        }
    }
    return held;
}

}  // namespace aqvis
