#include "YEL/render/camera.h"

#include <mutex>

namespace yel {
namespace {

std::mutex g_camera_mutex;  // guards g_camera
CameraVectors g_camera;

}  // namespace

CameraVectors CameraGet() {
  std::lock_guard lock(g_camera_mutex);
  return g_camera;
}

void CameraSet(const CameraVectors& camera) {
  std::lock_guard lock(g_camera_mutex);
  g_camera = camera;
}

}  // namespace yel
