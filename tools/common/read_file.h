// Whole-file reads for the data tools, with the reason of a failure for the message.
#pragma once

#include <cstddef>
#include <string>

namespace tools {

// Reads the regular file at `path` whole. Anything else is refused at once: a FIFO would block
// the open or the read, a device such as /dev/zero never ends, a folder cannot be read. On
// failure `error` is "cannot read 'PATH': REASON" (strerror, "not a regular file", or "larger
// than N MiB" past `max_bytes`).
bool ReadRegularFile(const std::string& path, size_t max_bytes, std::string* contents,
                     std::string* error);

}  // namespace tools
