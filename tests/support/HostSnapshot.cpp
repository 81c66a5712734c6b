#include "HostSnapshot.h"

#include <png.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

int RunCommand(const std::string& command, std::string* output) {
  output->clear();
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return -1;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) output->append(buffer);
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunHostSnapshot(const std::string& png, const std::string& display, std::string* output) {
  const std::string environment = display.empty() ? "env -u DISPLAY " : "env DISPLAY=" + display + " ";
  const std::string command = environment +
                              TAVRO_BINARY_DIR "/tools/tavro-host/tavro-host --bundle " TAVRO_BINARY_DIR
                                               "/TestPlugin.component --render-seconds 0.05 --fast --snapshot '" +
                              png + "'";
  return RunCommand(command, output);
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
