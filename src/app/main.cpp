// Program entry: the dialogue runs in the executable's own folder, the command line where it was started.
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <string>

#include "app/commandline.h"
#include "app/entry.h"

namespace {

// The folder of the running executable, or "" when it cannot be told.
std::string toolfolder() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  std::string exe(buf, static_cast<std::size_t>(n));
  const std::size_t cut = exe.rfind('/');
  if (cut == std::string::npos) return {};
  return cut == 0 ? "/" : exe.substr(0, cut);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = toolfolder();
  // The dialogue takes settings.txt and every relative path from the tool's
  // own folder; the command line leaves relative paths to the folder it was
  // started in and finds settings.txt beside the tool.
  const bool options = std::any_of(argv + std::min(argc, 1), argv + argc,
                                   [](const char* a) { return tracewell::isoption(a); });
  if (!options && !folder.empty() && chdir(folder.c_str()) != 0) {
    // Staying where we are is all that is left.
  }
  tracewell::runtool(argc, argv, options ? tracewell::fromutf8(folder) : tracewell::text());
}
