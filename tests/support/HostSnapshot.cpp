#include "HostSnapshot.h"

#include <png.h>
#include "RunProgram.h"

std::vector<std::string> HostCommand(const std::string& bundle, const std::string& display) {
  std::vector<std::string> command{"env", "-u", "DISPLAY"};
  if (!display.empty()) command = {"env", "DISPLAY=" + display};
  command.push_back(TAVRO_BINARY_DIR "/tools/tavro-host/tavro-host");
  command.push_back("--bundle");
  command.push_back(TAVRO_BINARY_DIR "/" + bundle);
  return command;
}

int RunHostSnapshot(const std::string& png, const std::string& display, std::string* output) {
  std::vector<std::string> command = HostCommand("TestPlugin.component", display);
  command.insert(command.end(), {"--render-seconds", "0.05", "--fast", "--snapshot", png});
  return RunProgram(command, output);
}

bool ReadPicture(const std::string& png, Picture* picture) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, png.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  picture->width = image.width;
  picture->height = image.height;
  picture->rgb.resize(PNG_IMAGE_SIZE(image));
  return png_image_finish_read(&image, nullptr, picture->rgb.data(), 0, nullptr) != 0;
}
