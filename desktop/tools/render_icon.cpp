// Draws the program's icon for the desktop's icon theme at build time:
// <folder>/<n>x<n>/apps/pacetta.png for every size, the 16 x 16 picture the program
// draws repeated by whole factors, as the tray shows it on HiDPI screens.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "tests/ui_icons/png_file.h"
#include "ui/icons/tray_icons.h"

int main(int argc, char** argv) {
  using namespace pacetta::icons;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
    return 2;
  }
  const IconImage icon = ProgramImage(200);
  for (const int factor : {1, 2, 3, 4, 8, 16}) {
    const std::string size = std::to_string(icon.width * factor);
    const std::string folder = std::string(argv[1]) + "/" + size + "x" + size + "/apps";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::string path = folder + "/pacetta.png";
    if (error || !WritePng(ScaleWhole(icon, factor), path)) {
      std::fprintf(stderr, "%s: cannot write %s\n", argv[0], path.c_str());
      return 1;
    }
  }
  return 0;
}
