// skingen OUTPUT_DIR [SHEET.png]
//
// Draws every image of the skin into OUTPUT_DIR as NAME.png (plain PNG, RGB)
// and, when asked, a contact sheet of all of them at twice their size.
// The output depends only on this program and the DejaVu fonts.
#include <cstdio>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "platform/headless/uPngWriter.h"
#include "tools/skingen/SkinImages.h"
#include "tools/skingen/SkinPaint.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: skingen OUTPUT_DIR [SHEET.png]\n");
    return 2;
  }
  try {
    if (const std::string missing = qvt::skin::MissingLabelFamily(); !missing.empty()) {
      std::fprintf(stderr, "skingen: the font family \"%s\" is not installed (fonts-dejavu)\n",
                   missing.c_str());
      return 1;
    }
    const std::string folder = argv[1];
    std::vector<std::pair<std::string, TBitmap>> drawn;
    for (const auto& image : qvt::skin::SkinCatalogue()) {
      TBitmap bitmap = image.Draw();
      qvt::WritePng(bitmap, folder + "/" + image.Name + ".png");
      drawn.emplace_back(image.Name, std::move(bitmap));
    }
    if (argc == 3) qvt::WritePng(qvt::skin::DrawContactSheet(drawn), argv[2]);
    std::printf("skingen: %zu images written to %s\n", drawn.size(), folder.c_str());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "skingen: %s\n", error.what());
    return 1;
  }
  return 0;
}
