#include "platform/posix/iconv_convert.h"

#include <iconv.h>

namespace tessera {

bool IconvConvert(const char* to, const char* from, const std::string& in, size_t room, std::string& out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string source = in;
  std::string buffer(room, '\0');
  char* src = source.data();
  size_t srcLeft = source.size();
  char* dst = buffer.data();
  size_t dstLeft = buffer.size();
  const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1) || srcLeft != 0) return false;
  out.assign(buffer.data(), buffer.size() - dstLeft);
  return true;
}

}  // namespace tessera
