#include "platform/working_folder.h"

#include <unistd.h>

namespace vellumkeep {

bool enterFolder(const std::string& path) {
  return ::chdir(path.c_str()) == 0;
}

}  // namespace vellumkeep
