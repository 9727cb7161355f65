#include "engine_error.h"

#include "av_handles.h"

namespace enginebin {

std::string av_error_text(int av_error) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(av_error, text, sizeof text);
  return text;
}

std::string describe_failure(std::string_view what, std::string_view subject, int av_error) {
  std::string text(what);
  text += " '";
  text += subject;
  text += "' (";
  text += av_error_text(av_error);
  text += ")";
  return text;
}

int check_av(int av_result, std::string_view what, std::string_view subject) {
  if (av_result < 0) throw EngineError(describe_failure(what, subject, av_result));
  return av_result;
}

FramePtr allocate_frame() {
  FramePtr frame(av_frame_alloc());
  if (!frame) throw EngineError("Could not allocate a frame (out of memory)");
  return frame;
}

PacketPtr allocate_packet() {
  PacketPtr packet(av_packet_alloc());
  if (!packet) throw EngineError("Could not allocate a packet (out of memory)");
  return packet;
}

}  // namespace enginebin
