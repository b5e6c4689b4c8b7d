#include "content/sounds.h"

#include <algorithm>
#include <cmath>

namespace tessera::content {

namespace {

constexpr float TAU = 6.2831853f;

using Track = std::vector<float>;

Track Silence(float seconds) { return Track(static_cast<size_t>(seconds * SOUND_RATE), 0.0f); }

float Note(float semitonesFromA4) { return 440.0f * std::pow(2.0f, semitonesFromA4 / 12.0f); }

// A plucked or bell-like tone added at `start` seconds.
void Tone(Track& t, float start, float seconds, float freq, float gain, float decay, float brightness = 0.3f,
          float slide = 0.0f) {
  size_t s0 = static_cast<size_t>(start * SOUND_RATE);
  size_t n = static_cast<size_t>(seconds * SOUND_RATE);
  float phase = 0;
  for (size_t i = 0; i < n && s0 + i < t.size(); ++i) {
    float time = float(i) / SOUND_RATE;
    float f = freq * (1.0f + slide * time);
    phase += TAU * f / SOUND_RATE;
    float env = std::exp(-time * decay) * std::min(1.0f, time * 400.0f);
    float release = std::min(1.0f, (seconds - time) * 60.0f);
    float v = std::sin(phase) + brightness * std::sin(2 * phase) + brightness * 0.4f * std::sin(3 * phase);
    t[s0 + i] += v * env * release * gain;
  }
}

void Noise(Track& t, float start, float seconds, float gain, float decay, uint32_t seed, float lowpass) {
  Rng rng(seed);
  size_t s0 = static_cast<size_t>(start * SOUND_RATE);
  size_t n = static_cast<size_t>(seconds * SOUND_RATE);
  float y = 0;
  for (size_t i = 0; i < n && s0 + i < t.size(); ++i) {
    float time = float(i) / SOUND_RATE;
    float x = rng.Unit() * 2 - 1;
    y += lowpass * (x - y);
    t[s0 + i] += y * std::exp(-time * decay) * gain;
  }
}

std::vector<int16_t> Finish(const Track& t) {
  float peak = 0.0001f;
  for (float v : t) peak = std::max(peak, std::fabs(v));
  float k = std::min(1.0f, 0.85f / peak);
  std::vector<int16_t> out(t.size());
  for (size_t i = 0; i < t.size(); ++i) out[i] = static_cast<int16_t>(std::lround(std::clamp(t[i] * k, -1.0f, 1.0f) * 32000));
  return out;
}

}  // namespace

Bytes EncodeWav(const std::vector<int16_t>& samples, int rate) {
  Bytes b;
  uint32_t dataSize = static_cast<uint32_t>(samples.size() * 2);
  b.insert(b.end(), {'R', 'I', 'F', 'F'});
  Put32(b, 36 + dataSize);
  b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  Put32(b, 16);
  Put16(b, 1);  // PCM
  Put16(b, 1);  // mono
  Put32(b, static_cast<uint32_t>(rate));
  Put32(b, static_cast<uint32_t>(rate * 2));
  Put16(b, 2);
  Put16(b, 16);
  b.insert(b.end(), {'d', 'a', 't', 'a'});
  Put32(b, dataSize);
  for (int16_t s : samples) Put16(b, static_cast<uint16_t>(s));
  return b;
}

std::vector<NamedSound> MakeEffects() {
  std::vector<NamedSound> out;
  auto add = [&](const std::string& path, const Track& t) { out.push_back({path, EncodeWav(Finish(t))}); };
  {
    Track t = Silence(0.12f);  // a glassy tick for turning a piece
    Tone(t, 0, 0.12f, Note(15), 0.6f, 35, 0.2f);
    Tone(t, 0, 0.12f, Note(22), 0.3f, 45, 0.1f);
    add("Sound/ChangePiece.wav", t);
  }
  {
    Track t = Silence(0.5f);  // rumble and crack
    Noise(t, 0, 0.5f, 1.0f, 8, 7, 0.15f);
    Noise(t, 0, 0.08f, 0.6f, 40, 9, 0.8f);
    Tone(t, 0, 0.4f, 70, 0.5f, 9, 0.0f, -0.6f);
    add("Sound/StoneExplode.wav", t);
  }
  {
    Track t = Silence(0.25f);
    Tone(t, 0, 0.25f, Note(12), 0.7f, 10, 0.5f);
    add("Sound/LastTime.wav", t);
  }
  {
    Track t = Silence(0.9f);
    for (int i = 0; i < 3; ++i) Tone(t, i * 0.25f, 0.35f, Note(7 - 4 * i), 0.6f, 5, 0.6f);
    add("Sound/TimeOut.wav", t);
  }
  {
    Track t = Silence(0.3f);  // a skittering squeak
    Tone(t, 0, 0.3f, Note(24), 0.4f, 10, 0.3f, 1.5f);
    Noise(t, 0, 0.3f, 0.25f, 12, 3, 0.5f);
    add("Sound/TouchSpider.wav", t);
  }
  {
    Track t = Silence(0.06f);
    Tone(t, 0, 0.06f, Note(19), 0.3f, 60, 0.1f);
    add("Sound/GameButtonMove.wav", t);
  }
  {
    Track t = Silence(0.15f);
    Tone(t, 0, 0.15f, Note(10), 0.6f, 25, 0.4f);
    Tone(t, 0.04f, 0.11f, Note(17), 0.4f, 25, 0.3f);
    add("Sound/GameButtonPress.wav", t);
  }
  {
    Track t = Silence(0.08f);
    Tone(t, 0, 0.08f, Note(14), 0.3f, 40, 0.2f);
    add("Sound/StartButtonMove.wav", t);
  }
  {
    Track t = Silence(0.35f);
    Tone(t, 0, 0.35f, Note(3), 0.5f, 8, 0.3f);
    Tone(t, 0.07f, 0.28f, Note(10), 0.4f, 8, 0.3f);
    Tone(t, 0.14f, 0.21f, Note(15), 0.4f, 8, 0.3f);
    add("Sound/StartButtonPress.wav", t);
  }
  {
    Track t = Silence(2.2f);  // rising major arpeggio with a held chord
    const float steps[] = {3, 7, 10, 15};
    for (int i = 0; i < 4; ++i) Tone(t, i * 0.16f, 0.6f, Note(steps[i]), 0.45f, 4, 0.3f);
    for (float s : {3.0f, 7.0f, 10.0f, 15.0f}) Tone(t, 0.7f, 1.5f, Note(s), 0.25f, 2, 0.2f);
    add("Music/Success.wav", t);
  }
  {
    Track t = Silence(1.8f);  // falling minor steps
    const float steps[] = {5, 1, -2, -7};
    for (int i = 0; i < 4; ++i) Tone(t, i * 0.3f, 0.6f, Note(steps[i]), 0.45f, 4, 0.5f);
    add("Music/Failed.wav", t);
  }
  return out;
}

std::vector<int16_t> MakeMusicLoop(const std::string& name) {
  // Four bars of four beats; chords, a bass line and an arpeggio that fit the
  // mood of the window. Every note ends inside the loop, so it repeats cleanly.
  struct Style {
    float tempo;
    float chords[4][3];
    float brightness;
  };
  Style s{};
  if (name == "Lake.wav") s = {84, {{-9, -5, -2}, {-4, 0, 3}, {-7, -3, 0}, {-2, 2, 5}}, 0.15f};
  else if (name == "Raven.wav") s = {100, {{-12, -9, -5}, {-4, -1, 3}, {-7, -4, 0}, {-5, -1, 2}}, 0.45f};
  else s = {92, {{-9, -5, -2}, {-7, -3, 0}, {-4, 0, 3}, {-5, -1, 2}}, 0.25f};
  float beat = 60.0f / s.tempo;
  int bars = 4;
  Track t = Silence(bars * 4 * beat);
  for (int bar = 0; bar < bars; ++bar) {
    const float* chord = s.chords[bar % 4];
    float t0 = bar * 4 * beat;
    for (int k = 0; k < 3; ++k) Tone(t, t0, 4 * beat * 0.98f, Note(chord[k]), 0.12f, 0.8f, 0.1f);
    Tone(t, t0, 2 * beat, Note(chord[0] - 12), 0.35f, 1.5f, 0.05f);
    Tone(t, t0 + 2 * beat, 2 * beat * 0.98f, Note(chord[2] - 12), 0.3f, 1.5f, 0.05f);
    for (int step = 0; step < 8; ++step) {
      const int pattern[] = {0, 1, 2, 1, 0, 2, 1, 2};
      float n = chord[pattern[(step + bar) % 8]] + 12 + (step == 7 ? 12 : 0);
      Tone(t, t0 + step * beat / 2, beat / 2 * 0.95f, Note(n), 0.18f, 6, s.brightness);
    }
  }
  return Finish(t);
}

}  // namespace tessera::content
