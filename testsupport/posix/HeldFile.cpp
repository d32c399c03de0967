#include "testsupport/HeldFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace testsupport {

// An engine on Linux keeps the file locked; the lock belongs to the open file, so even an open
// of this same process conflicts with the wizard's.
const int THeldFile::RefusalCode = EWOULDBLOCK;

THeldFile::THeldFile(const std::string& APath) : FHandle(::open(APath.c_str(), O_RDWR | O_CLOEXEC)) {
  if (FHandle < 0) {
    throw std::runtime_error("cannot open " + APath);
  }
  if (::flock(static_cast<int>(FHandle), LOCK_EX | LOCK_NB) != 0) {
    ::close(static_cast<int>(FHandle));
    throw std::runtime_error("cannot lock " + APath);
  }
}

THeldFile::~THeldFile() { ::close(static_cast<int>(FHandle)); }

}  // namespace testsupport
