// Program entry: runs the tool in the executable's own folder.
#include <unistd.h>

#include <climits>
#include <string>

#include "app/entry.h"

namespace {

// Makes the folder of the running executable the working directory, so that
// settings.txt and every relative path are taken from there.
void entertoolfolder() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return;
  std::string exe(buf, static_cast<std::size_t>(n));
  const std::size_t cut = exe.rfind('/');
  if (cut == std::string::npos) return;
  const std::string folder = cut == 0 ? "/" : exe.substr(0, cut);
  if (chdir(folder.c_str()) != 0) return;
}

}  // namespace

int main(int argc, char** argv) {
  entertoolfolder();
  tracewell::runtool(argc, argv);
}
