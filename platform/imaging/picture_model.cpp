// The synthetic picture: a scene that moves with the frame number, seen
// through the input channel, the analogue adjustments of the digitizer's data
// path and its input LUT. README.md gives the same model as formulas.
#include <algorithm>
#include <cmath>

#include "exports.h"
#include "simulator.h"

namespace sim {
namespace {

constexpr double kPi = 3.14159265358979323846;

int32_t Clamp(double value) {
  double rounded = std::floor(value + 0.5);
  return static_cast<int32_t>(std::min(255.0, std::max(0.0, rounded)));
}

// The channel word moves the scene by the sum of its four bytes.
int32_t ChannelOffset(MIL_INT channel) {
  uint32_t word = Word(channel);
  return static_cast<int32_t>(((word >> 24) + (word >> 16) + (word >> 8) + word) & 0xFF);
}

// Black and white references: the level range [black, white] of the scene
// is spread over 0..255.
int32_t ReferenceMapping(int32_t scene, int32_t black, int32_t white) {
  return Clamp((scene - black) * 255.0 / std::max(white - black, 1));
}

bool DecoderPath(int32_t colourMode) { return colourMode == 0 || colourMode == 1 || colourMode == 4137; }

class PictureModel {
 public:
  PictureModel(const Digitizer& digitizer, uint32_t frame)
      : digitizer_(digitizer), shift_(static_cast<int32_t>((frame + ChannelOffset(digitizer.channel)) & 0xFF)) {
    double angle = (digitizer.hue - 128) * kPi / 128.0;
    cosHue_ = std::cos(angle);
    sinHue_ = std::sin(angle) / std::sqrt(3.0);
    // Grey modes and the RGB path map each band on its own: one table a band.
    for (int32_t band = 0; band < 3; ++band) {
      for (int32_t scene = 0; scene < 256; ++scene) {
        int32_t level = DecoderPath(digitizer.colourMode)
                            ? Decode(scene, 0.0)
                            : ReferenceMapping(scene, digitizer.blackRef[band], digitizer.whiteRef[band]);
        bandTable_[band][scene] = digitizer.lut[band][level];
      }
    }
  }

  // The digitizer's bands of pixel (x, y); returns their count.
  int32_t Pixel(int32_t x, int32_t y, uint8_t out[3]) const {
    int32_t red = (x + shift_) & 0xFF;
    int32_t green = (y + shift_) & 0xFF;
    int32_t blue = (x + y + shift_) & 0xFF;
    switch (digitizer_.colourMode) {
      case 0:      // grey through the decoder
      case 1024:   // grey through the RGB converter, channel 0's references
        out[0] = bandTable_[0][blue];
        return 1;
      case 8:      // RGB: each band with its own references
        out[0] = bandTable_[0][red];
        out[1] = bandTable_[1][green];
        out[2] = bandTable_[2][blue];
        return 3;
      default: {   // composite and Y/C colour through the decoder
        const int32_t scene[3] = {red, green, blue};
        int32_t luma = (red + 2 * green + blue) / 4;
        for (int32_t band = 0; band < 3; ++band) {
          double chroma = (scene[band] - luma) * cosHue_ +
                          ((scene[(band + 1) % 3] - luma) - (scene[(band + 2) % 3] - luma)) * sinHue_;
          int32_t level = Decode(luma, chroma * digitizer_.saturation / 128.0);
          out[band] = digitizer_.lut[band][level];
        }
        return 3;
      }
    }
  }

 private:
  // Brightness and contrast act on the luma, around the middle level 128.
  int32_t Decode(int32_t luma, double chroma) const {
    return Clamp((luma - 128) * digitizer_.contrast / 128.0 + digitizer_.brightness + chroma);
  }

  const Digitizer& digitizer_;
  int32_t shift_;
  double cosHue_;
  double sinHue_;
  uint8_t bandTable_[3][256];
};

}  // namespace

int32_t ModelPixel(const Digitizer& digitizer, int32_t x, int32_t y, uint32_t frame,
                   uint8_t bands[3]) {
  return PictureModel(digitizer, frame).Pixel(x, y, bands);
}

void WriteFrame(const Digitizer& digitizer, Buffer& buffer, uint32_t frame) {
  PictureModel model(digitizer, frame);
  int32_t width = std::min(digitizer.format->width, buffer.width);
  int32_t height = std::min(digitizer.format->height, buffer.height);
  uint8_t bands[3];
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      int32_t count = model.Pixel(x, y, bands);
      if (buffer.bands == 1) {
        // One band: grey as it is, colour as its luma.
        WriteBand(buffer, x, y, 0,
                  count == 1 ? bands[0]
                             : static_cast<uint8_t>((bands[0] + 2 * bands[1] + bands[2]) / 4));
      } else {
        for (int32_t band = 0; band < buffer.bands; ++band) {
          WriteBand(buffer, x, y, band, bands[count == 1 ? 0 : band]);
        }
      }
    }
  }
}

}  // namespace sim

using namespace sim;

MILAPI int32_t SimExpectedPixel(MIL_ID digitizerId, int32_t x, int32_t y, uint32_t frame,
                                uint8_t* bands) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  Digitizer* digitizer = Find(sim.digitizers, digitizerId);
  if (digitizer == nullptr || bands == nullptr || x < 0 || y < 0 ||
      x >= digitizer->format->width || y >= digitizer->format->height) {
    return 0;
  }
  return ModelPixel(*digitizer, x, y, frame, bands);
}
