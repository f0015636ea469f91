#include "audio/host.hpp"

namespace quorvelan::audio::host {

std::string_view format_name(SampleFormat format) {
  switch (format) {
    case SampleFormat::I8:
      return "I8";
    case SampleFormat::I16:
      return "I16";
    case SampleFormat::I24:
      return "I24";
    case SampleFormat::I32:
      return "I32";
    case SampleFormat::U16:
      return "U16";
    case SampleFormat::F32:
      return "F32";
    case SampleFormat::F64:
      return "F64";
  }
  return "?";
}

}  // namespace quorvelan::audio::host
