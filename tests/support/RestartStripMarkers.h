// The marker removal done literally: find the first marker from the start,
// cut its run, search again from the start. Quadratic; the oracle that the
// one-pass StripMarkers is compared against.
#pragma once

#include <cstddef>
#include <cstring>
#include <stdexcept>
#include <string>

namespace quillfen::oracle {

struct RestartReadError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

inline void RestartStripMarkers(std::string& data) {
  for (;;) {
    std::size_t a = std::string::npos;
    for (std::size_t i = 0; i + 1 < data.size(); ++i) {
      if (static_cast<unsigned char>(data[i]) == 0xCE &&
          static_cast<unsigned char>(data[i + 1]) == 0x7E) {
        a = i;
        break;
      }
    }
    if (a == std::string::npos) return;
    if (a == 0) throw RestartReadError("marker at offset 0");
    std::size_t p = a - 1;
    auto need = [&](std::size_t n) {
      if (p + n > data.size()) throw RestartReadError("read past end");
    };
    need(4);  // preceding byte, marker, one byte
    p += 4;
    need(1);
    std::size_t len = static_cast<unsigned char>(data[p]);
    p += 1;
    need(len + 1);
    p += len + 1;
    for (;;) {
      need(2);
      if (!(static_cast<unsigned char>(data[p]) == 0x81 &&
            static_cast<unsigned char>(data[p + 1]) == 0x9D))
        break;
      need(4);
      p += 4;
      need(1);
      len = static_cast<unsigned char>(data[p]);
      p += 1;
      need(len + 1);
      p += len + 1;
    }
    data = data.substr(0, a - 1) + data.substr(p);
  }
}

}  // namespace quillfen::oracle
