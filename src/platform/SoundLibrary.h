#pragma once
// The game's sound library: a system with its output device, sounds decoded whole into memory
// (effects), sounds decoded a chunk at a time (music streams), and channels that play them.
// It is implemented on OpenAL Soft (output, one OpenAL source per channel) and libsndfile
// (decoding WAV, MP3 and Ogg as floats); nothing outside src/platform includes either.
//
// Every call returns a Result; OK is 0. The result names (ResultName) are the ones the game's
// error messages have always printed.
//
// Without a usable sound device the system runs on OpenAL Soft's loopback device, which needs
// no backend: it mixes as a real device would (channels finish, streams advance with time) and
// the mix is thrown away, so every call behaves and succeeds. Environment settings that steer
// OpenAL Soft (ALSOFT_CONF, ALSOFT_DRIVERS) must be made before the first call of this library.
//
// Only one system is meant to exist at a time; it is used from the thread that created it.

#include <cstdint>
#include <memory>
#include <string>

namespace snd {

enum Result : int {
    OK = 0,
    ERR_ALREADYLOCKED, ERR_BADCOMMAND, ERR_CDDA_DRIVERS, ERR_CDDA_INIT, ERR_CDDA_INVALID_DEVICE,
    ERR_CDDA_NOAUDIO, ERR_CDDA_NODEVICES, ERR_CDDA_NODISC, ERR_CDDA_READ, ERR_CHANNEL_ALLOC,
    ERR_CHANNEL_STOLEN, ERR_COM, ERR_DMA, ERR_DSP_CONNECTION, ERR_DSP_FORMAT,
    ERR_DSP_NOTFOUND, ERR_DSP_RUNNING, ERR_DSP_TOOMANYCONNECTIONS, ERR_FILE_BAD, ERR_FILE_COULDNOTSEEK,
    ERR_FILE_DISKEJECTED, ERR_FILE_EOF, ERR_FILE_NOTFOUND, ERR_FILE_UNWANTED, ERR_FORMAT,
    ERR_HTTP, ERR_HTTP_ACCESS, ERR_HTTP_PROXY_AUTH, ERR_HTTP_SERVER_ERROR, ERR_HTTP_TIMEOUT,
    ERR_INITIALIZATION, ERR_INITIALIZED, ERR_INTERNAL, ERR_INVALID_ADDRESS, ERR_INVALID_FLOAT,
    ERR_INVALID_HANDLE, ERR_INVALID_PARAM, ERR_INVALID_POSITION, ERR_INVALID_SPEAKER, ERR_INVALID_SYNCPOINT,
    ERR_INVALID_VECTOR, ERR_IRX, ERR_MAXAUDIBLE, ERR_MEMORY, ERR_MEMORY_CANTPOINT,
    ERR_MEMORY_IOP, ERR_MEMORY_SRAM, ERR_NEEDS2D, ERR_NEEDS3D, ERR_NEEDSHARDWARE,
    ERR_NEEDSSOFTWARE, ERR_NET_CONNECT, ERR_NET_SOCKET_ERROR, ERR_NET_URL, ERR_NET_WOULD_BLOCK,
    ERR_NOTREADY, ERR_OUTPUT_ALLOCATED, ERR_OUTPUT_CREATEBUFFER, ERR_OUTPUT_DRIVERCALL, ERR_OUTPUT_ENUMERATION,
    ERR_OUTPUT_FORMAT, ERR_OUTPUT_INIT, ERR_OUTPUT_NOHARDWARE, ERR_OUTPUT_NOSOFTWARE, ERR_PAN,
    ERR_PLUGIN, ERR_PLUGIN_INSTANCES, ERR_PLUGIN_MISSING, ERR_PLUGIN_RESOURCE, ERR_PRELOADED,
    ERR_PROGRAMMERSOUND, ERR_RECORD, ERR_REVERB_INSTANCE, ERR_SUBSOUND_ALLOCATED, ERR_SUBSOUND_CANTMOVE,
    ERR_SUBSOUND_MODE, ERR_SUBSOUNDS, ERR_TAGNOTFOUND, ERR_TOOMANYCHANNELS, ERR_UNIMPLEMENTED,
    ERR_UNINITIALIZED, ERR_UNSUPPORTED, ERR_UPDATE, ERR_VERSION, ERR_EVENT_FAILED,
    ERR_EVENT_INFOONLY, ERR_EVENT_INTERNAL, ERR_EVENT_MAXSTREAMS, ERR_EVENT_MISMATCH, ERR_EVENT_NAMECONFLICT,
    ERR_EVENT_NOTFOUND, ERR_EVENT_NEEDSSIMPLE, ERR_EVENT_GUIDCONFLICT, ERR_EVENT_ALREADY_LOADED,
    ERR_MUSIC_UNINITIALIZED, ERR_MUSIC_NOTFOUND, ERR_MUSIC_NOCALLBACK,
};
constexpr int kResultCount = 98;

// The name of a result code ("FMOD_OK" for 0 ...), or nullptr for a value outside 0 .. 97.
const char* ResultName(int result);

enum OutputType : int {
    OUTPUTTYPE_AUTODETECT = 0,  // the best sound device that opens
    OUTPUTTYPE_UNKNOWN = 1,
    OUTPUTTYPE_NOSOUND = 2,     // mix without output
};

enum SpeakerMode : int {
    SPEAKERMODE_RAW = 0,
    SPEAKERMODE_MONO = 1,
    SPEAKERMODE_STEREO = 2,
    SPEAKERMODE_QUAD = 3,
    SPEAKERMODE_SURROUND = 4,
    SPEAKERMODE_5POINT1 = 5,
    SPEAKERMODE_7POINT1 = 6,
    SPEAKERMODE_PROLOGIC = 7,
};

enum Caps : unsigned {
    CAPS_NONE = 0,
    CAPS_HARDWARE = 1,           // the device mixes in hardware
    CAPS_HARDWARE_EMULATED = 2,  // the device only pretends to
};

enum Mode : unsigned {
    MODE_DEFAULT = 0,       // plays once
    MODE_LOOP_OFF = 1,
    MODE_LOOP_NORMAL = 2,   // loops as often as the sound's loop count says (-1: endlessly)
};

enum InitFlags : unsigned { INIT_NORMAL = 0, INIT_3D_RIGHTHANDED = 2 };

enum SoundFormat : int { SOUND_FORMAT_NONE = 0, SOUND_FORMAT_PCM8, SOUND_FORMAT_PCM16, SOUND_FORMAT_PCM24,
                         SOUND_FORMAT_PCM32, SOUND_FORMAT_PCMFLOAT };

enum Resampler : int { DSP_RESAMPLER_NOINTERP = 0, DSP_RESAMPLER_LINEAR, DSP_RESAMPLER_CUBIC, DSP_RESAMPLER_SPLINE };

// Channel id for PlaySound: any free channel.
constexpr int CHANNEL_FREE = -1;

// A stream keeps chunks of decoded frames queued ahead of what is heard, and Update refills the
// chunks that have been played. A frame that takes longer than the whole queue lasts leaves a gap
// (the music then goes on where it was); the default queue, 8 chunks of 16384 frames, lasts
// about 3 s at 44.1 kHz, longer than the game's slowest frames (the first frames that upload
// pictures). Each refill decodes one chunk, a few milliseconds of work.
constexpr int kDefaultStreamChunkFrames = 16384;
constexpr int kDefaultStreamChunks = 8;
constexpr int kMaxStreamChunks = 16;

class System;

// A decoded effect or an open music stream. Created by System::CreateSound / CreateStream and
// owned by the caller; it must be destroyed before its system (a sound that outlives it keeps
// only its file handle and can no longer play).
class Sound {
public:
    ~Sound();
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;

    // How often a looping sound repeats after its first play; -1 repeats endlessly (the default).
    Result SetLoopCount(int loopCount);
    Result GetLoopCount(int* loopCount) const;
    // Frames the file declares (for a stream) or holds (for an effect), channels and rate.
    Result GetFormat(int64_t* frames, int* channels, int* rate) const;
    bool IsStream() const;

    struct Data;

private:
    explicit Sound(std::unique_ptr<Data> data);
    friend class System;
    std::unique_ptr<Data> data;
};

// A handle to one play of a sound on one channel. It is a small value: copy it freely. When the
// channel has been given to another play since, the handle is stale and its calls return
// ERR_INVALID_HANDLE; a default-constructed handle is null.
class Channel {
public:
    Channel() = default;
    bool IsNull() const { return system == nullptr; }
    // Stops the play at once; stopping a play that already ended is harmless.
    Result Stop();
    Result IsPlaying(bool* playing) const;
    Result SetPaused(bool paused);
    // The loudness of this play, 0 (silent) .. 1 (as recorded); values outside are brought in.
    // It holds from the next mixed sample on, also for a play already under way.
    Result SetVolume(float volume);
    Result GetVolume(float* volume) const;
    // The channel's number (0 .. channels - 1).
    int Index() const { return index; }

private:
    friend class System;
    System* system = nullptr;
    int index = -1;
    uint32_t generation = 0;
};

class System {
public:
    // Makes a system that has not yet opened anything.
    static Result Create(std::unique_ptr<System>* system);
    // Stops every channel, cuts the sounds that still exist loose from the output and closes it.
    ~System();
    System(const System&) = delete;
    System& operator=(const System&) = delete;

    // OpenAL Soft's version with each decimal part written as hex digits (1.19.1 gives 0x011901),
    // so that printing the parts in hexadecimal shows the real version.
    Result GetVersion(unsigned* version);
    // Sound devices. They are listed only if one of them opens: with none that opens the count is 0.
    Result GetNumDrivers(int* count);
    // The device's name, cut to fit `nameLength` bytes with its terminating zero.
    Result GetDriverInfo(int id, char* name, int nameLength);
    // The device that opened (the system's default device when that one works).
    Result GetDriver(int* id);
    // OpenAL Soft mixes in software and sets up its channel layout itself: no capability bits,
    // and stereo for the speaker mode of the device's control panel.
    Result GetDriverCaps(int id, unsigned* caps, SpeakerMode* controlPanelSpeakerMode);
    // Before Init. OUTPUTTYPE_NOSOUND runs on the loopback device.
    Result SetOutput(OutputType output);
    // What runs after Init: OUTPUTTYPE_AUTODETECT for a sound device, OUTPUTTYPE_NOSOUND for none.
    Result GetOutput(OutputType* output) const;
    // Before Init. Modes OpenAL Soft cannot mix for (raw, surround, ProLogic) make Init fail with
    // ERR_OUTPUT_CREATEBUFFER. A sound device uses the layout OpenAL Soft is configured for;
    // the loopback device mixes for the mode given.
    Result SetSpeakerMode(SpeakerMode mode);
    // Before Init: the mixing period (length samples); the count is OpenAL Soft's to choose.
    Result SetDSPBufferSize(unsigned length, int count);
    // The queue of the streams created from now on: `chunks` (2 .. kMaxStreamChunks) of
    // `chunkFrames` (at least 256) frames.
    Result SetStreamBufferSize(int chunkFrames, int chunks);
    // Before Init: the mixing rate; the other values are OpenAL Soft's to choose.
    Result SetSoftwareFormat(int rate, SoundFormat format, int outputChannels, int maxInputChannels,
                             Resampler resampler);
    // Opens the output and makes up to `maxChannels` channels. When the sound device cannot be
    // started, the result says so and the system goes on without sound, every later call
    // succeeding; after ERR_OUTPUT_CREATEBUFFER nothing was opened and Init may be called again.
    Result Init(int maxChannels, unsigned flags, void* extraDriverData);
    // Once per frame: refills the streams, frees the channels whose sound ended, advances the
    // loopback mix, and notices a device that stopped working.
    Result Update();

    // Decodes the whole file into memory. Null and an error result when it cannot be read.
    Result CreateSound(const std::string& path, unsigned mode, std::unique_ptr<Sound>* sound);
    // Opens the file for decoding while it plays. A stream plays on one channel at a time:
    // playing it again starts it from the beginning on a new channel.
    Result CreateStream(const std::string& path, unsigned mode, std::unique_ptr<Sound>* sound);
    // Plays the sound on a free channel (CHANNEL_FREE) or on the channel with that number. When
    // every channel is busy the effect that started first makes room. `channel` may be null.
    Result PlaySound(int channelId, Sound* sound, bool paused, Channel* channel);
    Result GetChannelsPlaying(int* playing);

    struct Impl;

private:
    System();
    friend class Channel;
    friend class Sound;
    std::unique_ptr<Impl> impl;
};

}  // namespace snd
