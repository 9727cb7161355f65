#include "platform/dshow/stream_format.h"

#include <cstring>
#include <vector>

namespace dshow {
namespace {

// The format block: this header, then the codec's extra data.
struct StreamFormatBlock {
  std::uint32_t version;
  std::int32_t codecType;
  std::int32_t codecId;
  std::uint32_t codecTag;
  std::int32_t format;
  std::int64_t bitRate;
  std::int32_t bitsPerCodedSample;
  std::int32_t bitsPerRawSample;
  std::int32_t profile;
  std::int32_t level;
  std::int32_t width;
  std::int32_t height;
  std::int32_t sampleAspectNum;
  std::int32_t sampleAspectDen;
  std::int32_t fieldOrder;
  std::int32_t colorRange;
  std::int32_t colorPrimaries;
  std::int32_t colorTrc;
  std::int32_t colorSpace;
  std::int32_t chromaLocation;
  std::int32_t videoDelay;
  std::int32_t channelOrder;
  std::int32_t channels;
  std::uint64_t channelMask;
  std::int32_t sampleRate;
  std::int32_t blockAlign;
  std::int32_t frameSize;
  std::int32_t initialPadding;
  std::int32_t trailingPadding;
  std::int32_t seekPreroll;
  std::int32_t timeBaseNum;
  std::int32_t timeBaseDen;
  std::int32_t frameRateNum;
  std::int32_t frameRateDen;
  std::int64_t fileStart;
  std::int32_t extradataSize;
};
constexpr std::uint32_t kFormatVersion = 1;

GUID SubtypeOf(const AVCodecParameters& parameters) {
  // FOURCCs and wave format tags map into the base GUID; codecs without a tag get the codec id.
  GUID subtype = {0, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
  subtype.Data1 =
      parameters.codec_tag ? parameters.codec_tag : 0xFF000000u | static_cast<std::uint32_t>(parameters.codec_id);
  return subtype;
}

}  // namespace

MediaType StreamMediaType(const AVStream& stream, REFERENCE_TIME fileStart) {
  const AVCodecParameters& p = *stream.codecpar;
  MediaType mt;
  mt->majortype = p.codec_type == AVMEDIA_TYPE_VIDEO ? MEDIATYPE_Video : MEDIATYPE_Audio;
  mt->subtype = SubtypeOf(p);
  mt->formattype = FORMAT_FFmpegStream;
  mt->bTemporalCompression = TRUE;

  StreamFormatBlock block{};
  block.version = kFormatVersion;
  block.codecType = p.codec_type;
  block.codecId = p.codec_id;
  block.codecTag = p.codec_tag;
  block.format = p.format;
  block.bitRate = p.bit_rate;
  block.bitsPerCodedSample = p.bits_per_coded_sample;
  block.bitsPerRawSample = p.bits_per_raw_sample;
  block.profile = p.profile;
  block.level = p.level;
  block.width = p.width;
  block.height = p.height;
  block.sampleAspectNum = p.sample_aspect_ratio.num;
  block.sampleAspectDen = p.sample_aspect_ratio.den;
  block.fieldOrder = p.field_order;
  block.colorRange = p.color_range;
  block.colorPrimaries = p.color_primaries;
  block.colorTrc = p.color_trc;
  block.colorSpace = p.color_space;
  block.chromaLocation = p.chroma_location;
  block.videoDelay = p.video_delay;
  block.channelOrder = p.ch_layout.order;
  block.channels = p.ch_layout.nb_channels;
  block.channelMask = p.ch_layout.order == AV_CHANNEL_ORDER_NATIVE ? p.ch_layout.u.mask : 0;
  block.sampleRate = p.sample_rate;
  block.blockAlign = p.block_align;
  block.frameSize = p.frame_size;
  block.initialPadding = p.initial_padding;
  block.trailingPadding = p.trailing_padding;
  block.seekPreroll = p.seek_preroll;
  block.timeBaseNum = stream.time_base.num;
  block.timeBaseDen = stream.time_base.den;
  const AVRational rate = stream.avg_frame_rate.num > 0 ? stream.avg_frame_rate : stream.r_frame_rate;
  block.frameRateNum = rate.num;
  block.frameRateDen = rate.den;
  block.fileStart = fileStart;
  block.extradataSize = p.extradata ? p.extradata_size : 0;

  std::vector<BYTE> bytes(sizeof block + static_cast<std::size_t>(block.extradataSize));
  std::memcpy(bytes.data(), &block, sizeof block);
  if (block.extradataSize > 0)
    std::memcpy(bytes.data() + sizeof block, p.extradata, static_cast<std::size_t>(block.extradataSize));
  mt.SetFormat(bytes.data(), bytes.size());
  return mt;
}

bool ReadStreamMediaType(const AM_MEDIA_TYPE& mt, AVCodecParameters* parameters, StreamDescription* description) {
  if (mt.formattype != FORMAT_FFmpegStream || !mt.pbFormat || mt.cbFormat < sizeof(StreamFormatBlock)) return false;
  StreamFormatBlock block;
  std::memcpy(&block, mt.pbFormat, sizeof block);
  if (block.version != kFormatVersion || block.extradataSize < 0 ||
      sizeof block + static_cast<std::size_t>(block.extradataSize) > mt.cbFormat)
    return false;
  if (description) {
    description->timeBase = AVRational{block.timeBaseNum, block.timeBaseDen > 0 ? block.timeBaseDen : 1};
    description->fileStart = block.fileStart;
    description->frameRate =
        block.frameRateDen > 0 ? AVRational{block.frameRateNum, block.frameRateDen} : AVRational{0, 1};
  }
  if (!parameters) return true;
  parameters->codec_type = static_cast<AVMediaType>(block.codecType);
  parameters->codec_id = static_cast<AVCodecID>(block.codecId);
  parameters->codec_tag = block.codecTag;
  parameters->format = block.format;
  parameters->bit_rate = block.bitRate;
  parameters->bits_per_coded_sample = block.bitsPerCodedSample;
  parameters->bits_per_raw_sample = block.bitsPerRawSample;
  parameters->profile = block.profile;
  parameters->level = block.level;
  parameters->width = block.width;
  parameters->height = block.height;
  parameters->sample_aspect_ratio = AVRational{block.sampleAspectNum, block.sampleAspectDen};
  parameters->field_order = static_cast<AVFieldOrder>(block.fieldOrder);
  parameters->color_range = static_cast<AVColorRange>(block.colorRange);
  parameters->color_primaries = static_cast<AVColorPrimaries>(block.colorPrimaries);
  parameters->color_trc = static_cast<AVColorTransferCharacteristic>(block.colorTrc);
  parameters->color_space = static_cast<AVColorSpace>(block.colorSpace);
  parameters->chroma_location = static_cast<AVChromaLocation>(block.chromaLocation);
  parameters->video_delay = block.videoDelay;
  av_channel_layout_uninit(&parameters->ch_layout);
  if (block.channelOrder == AV_CHANNEL_ORDER_NATIVE && block.channelMask)
    av_channel_layout_from_mask(&parameters->ch_layout, block.channelMask);
  else if (block.channels > 0)
    av_channel_layout_default(&parameters->ch_layout, block.channels);
  parameters->sample_rate = block.sampleRate;
  parameters->block_align = block.blockAlign;
  parameters->frame_size = block.frameSize;
  parameters->initial_padding = block.initialPadding;
  parameters->trailing_padding = block.trailingPadding;
  parameters->seek_preroll = block.seekPreroll;
  av_freep(&parameters->extradata);
  parameters->extradata_size = 0;
  if (block.extradataSize > 0) {
    parameters->extradata =
        static_cast<uint8_t*>(av_mallocz(static_cast<std::size_t>(block.extradataSize) + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!parameters->extradata) return false;
    std::memcpy(parameters->extradata, mt.pbFormat + sizeof block, static_cast<std::size_t>(block.extradataSize));
    parameters->extradata_size = block.extradataSize;
  }
  return true;
}

}  // namespace dshow
