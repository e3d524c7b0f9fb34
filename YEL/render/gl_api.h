// The OpenGL entry points, for the .cpp files of the GL back-end only. The system's GL library
// exports every 3.3 core function, so they are called directly.
#pragma once

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
