// The hardware renderer's camera: where it stands, the point it looks at and its up direction.
// The frame's view is made from it; the debug camera tool moves it. Any thread (its own mutex).
#pragma once

#include <array>

namespace yel {

struct CameraVectors {
  std::array<float, 3> from{0.0f, 0.0f, -5.0f};
  std::array<float, 3> at{0.0f, 0.0f, 0.0f};
  std::array<float, 3> up{0.0f, 1.0f, 0.0f};
};

CameraVectors CameraGet();
void CameraSet(const CameraVectors& camera);

}  // namespace yel
