#include "content/movies.h"

#include "content/sounds.h"
#include "platform/codecs.h"

namespace tessera::content {

bool EncodeAvi(const MovieSpec& plan, const std::string& hostPath, std::string& error) {
  if (plan.width <= 0 || plan.height <= 0 || plan.width % 2 || plan.height % 2 || plan.fps <= 0 || plan.frames <= 0) {
    error = "bad movie size";
    return false;
  }
  size_t slash = hostPath.find_last_of('/');
  if (slash != std::string::npos && !MakeHostDirs(hostPath.substr(0, slash))) {
    error = "cannot create the folder of " + hostPath;
    return false;
  }
  AviPlan avi;
  avi.width = plan.width;
  avi.height = plan.height;
  avi.fps = plan.fps;
  avi.frames = plan.frames;
  avi.soundRate = SOUND_RATE;
  avi.sound = &plan.sound;
  avi.paint = [&plan](int index, std::vector<uint8_t>& rgb) {
    Canvas canvas(plan.width, plan.height);
    if (plan.paint) plan.paint(index, canvas);
    rgb = std::move(canvas.rgb);
  };
  return WriteAvi(avi, hostPath, error);
}

}  // namespace tessera::content
