#include "platform/SoundLibrary.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <AL/efx.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <set>
#include <vector>

namespace snd {

namespace {

const char* const kResultNames[kResultCount] = {
    "FMOD_OK", "FMOD_ERR_ALREADYLOCKED", "FMOD_ERR_BADCOMMAND", "FMOD_ERR_CDDA_DRIVERS", "FMOD_ERR_CDDA_INIT",
    "FMOD_ERR_CDDA_INVALID_DEVICE", "FMOD_ERR_CDDA_NOAUDIO", "FMOD_ERR_CDDA_NODEVICES", "FMOD_ERR_CDDA_NODISC",
    "FMOD_ERR_CDDA_READ", "FMOD_ERR_CHANNEL_ALLOC", "FMOD_ERR_CHANNEL_STOLEN", "FMOD_ERR_COM", "FMOD_ERR_DMA",
    "FMOD_ERR_DSP_CONNECTION", "FMOD_ERR_DSP_FORMAT", "FMOD_ERR_DSP_NOTFOUND", "FMOD_ERR_DSP_RUNNING",
    "FMOD_ERR_DSP_TOOMANYCONNECTIONS", "FMOD_ERR_FILE_BAD", "FMOD_ERR_FILE_COULDNOTSEEK",
    "FMOD_ERR_FILE_DISKEJECTED", "FMOD_ERR_FILE_EOF", "FMOD_ERR_FILE_NOTFOUND", "FMOD_ERR_FILE_UNWANTED",
    "FMOD_ERR_FORMAT", "FMOD_ERR_HTTP", "FMOD_ERR_HTTP_ACCESS", "FMOD_ERR_HTTP_PROXY_AUTH",
    "FMOD_ERR_HTTP_SERVER_ERROR", "FMOD_ERR_HTTP_TIMEOUT", "FMOD_ERR_INITIALIZATION", "FMOD_ERR_INITIALIZED",
    "FMOD_ERR_INTERNAL", "FMOD_ERR_INVALID_ADDRESS", "FMOD_ERR_INVALID_FLOAT", "FMOD_ERR_INVALID_HANDLE",
    "FMOD_ERR_INVALID_PARAM", "FMOD_ERR_INVALID_POSITION", "FMOD_ERR_INVALID_SPEAKER", "FMOD_ERR_INVALID_SYNCPOINT",
    "FMOD_ERR_INVALID_VECTOR", "FMOD_ERR_IRX", "FMOD_ERR_MAXAUDIBLE", "FMOD_ERR_MEMORY", "FMOD_ERR_MEMORY_CANTPOINT",
    "FMOD_ERR_MEMORY_IOP", "FMOD_ERR_MEMORY_SRAM", "FMOD_ERR_NEEDS2D", "FMOD_ERR_NEEDS3D", "FMOD_ERR_NEEDSHARDWARE",
    "FMOD_ERR_NEEDSSOFTWARE", "FMOD_ERR_NET_CONNECT", "FMOD_ERR_NET_SOCKET_ERROR", "FMOD_ERR_NET_URL",
    "FMOD_ERR_NET_WOULD_BLOCK", "FMOD_ERR_NOTREADY", "FMOD_ERR_OUTPUT_ALLOCATED", "FMOD_ERR_OUTPUT_CREATEBUFFER",
    "FMOD_ERR_OUTPUT_DRIVERCALL", "FMOD_ERR_OUTPUT_ENUMERATION", "FMOD_ERR_OUTPUT_FORMAT", "FMOD_ERR_OUTPUT_INIT",
    "FMOD_ERR_OUTPUT_NOHARDWARE", "FMOD_ERR_OUTPUT_NOSOFTWARE", "FMOD_ERR_PAN", "FMOD_ERR_PLUGIN",
    "FMOD_ERR_PLUGIN_INSTANCES", "FMOD_ERR_PLUGIN_MISSING", "FMOD_ERR_PLUGIN_RESOURCE", "FMOD_ERR_PRELOADED",
    "FMOD_ERR_PROGRAMMERSOUND", "FMOD_ERR_RECORD", "FMOD_ERR_REVERB_INSTANCE", "FMOD_ERR_SUBSOUND_ALLOCATED",
    "FMOD_ERR_SUBSOUND_CANTMOVE", "FMOD_ERR_SUBSOUND_MODE", "FMOD_ERR_SUBSOUNDS", "FMOD_ERR_TAGNOTFOUND",
    "FMOD_ERR_TOOMANYCHANNELS", "FMOD_ERR_UNIMPLEMENTED", "FMOD_ERR_UNINITIALIZED", "FMOD_ERR_UNSUPPORTED",
    "FMOD_ERR_UPDATE", "FMOD_ERR_VERSION", "FMOD_ERR_EVENT_FAILED", "FMOD_ERR_EVENT_INFOONLY",
    "FMOD_ERR_EVENT_INTERNAL", "FMOD_ERR_EVENT_MAXSTREAMS", "FMOD_ERR_EVENT_MISMATCH", "FMOD_ERR_EVENT_NAMECONFLICT",
    "FMOD_ERR_EVENT_NOTFOUND", "FMOD_ERR_EVENT_NEEDSSIMPLE", "FMOD_ERR_EVENT_GUIDCONFLICT",
    "FMOD_ERR_EVENT_ALREADY_LOADED", "FMOD_ERR_MUSIC_UNINITIALIZED", "FMOD_ERR_MUSIC_NOTFOUND",
    "FMOD_ERR_MUSIC_NOCALLBACK",
};
static_assert(ERR_MUSIC_NOCALLBACK == kResultCount - 1, "one name per result code");

// The mix rate of the loopback device when nobody asked for another.
constexpr int kDefaultMixRate = 44100;
// After a long stall (a level loading) the loopback mix catches up by at most this much, so
// that one Update never mixes seconds of sound nobody hears.
constexpr double kLongestLoopbackStep = 0.25;

// The loopback device is an extension; OpenAL Soft always has it.
struct LoopbackCalls {
    LPALCLOOPBACKOPENDEVICESOFT open = nullptr;
    LPALCISRENDERFORMATSUPPORTEDSOFT isFormatSupported = nullptr;
    LPALCRENDERSAMPLESSOFT render = nullptr;
    bool Available() const { return open && isFormatSupported && render; }
};

LoopbackCalls FindLoopbackCalls() {
    LoopbackCalls calls;
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) return calls;
    calls.open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    calls.isFormatSupported =
        reinterpret_cast<LPALCISRENDERFORMATSUPPORTEDSOFT>(alcGetProcAddress(nullptr, "alcIsRenderFormatSupportedSOFT"));
    calls.render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    return calls;
}

// The loopback channel layout for a speaker mode; 0 for modes OpenAL Soft cannot mix for.
ALCenum LoopbackChannels(SpeakerMode mode) {
    switch (mode) {
        case SPEAKERMODE_MONO: return ALC_MONO_SOFT;
        case SPEAKERMODE_STEREO: return ALC_STEREO_SOFT;
        case SPEAKERMODE_QUAD: return ALC_QUAD_SOFT;
        case SPEAKERMODE_5POINT1: return ALC_5POINT1_SOFT;
        case SPEAKERMODE_7POINT1: return ALC_7POINT1_SOFT;
        default: return 0;
    }
}

int ChannelCount(ALCenum layout) {
    switch (layout) {
        case ALC_MONO_SOFT: return 1;
        case ALC_QUAD_SOFT: return 4;
        case ALC_5POINT1_SOFT: return 6;
        case ALC_7POINT1_SOFT: return 8;
        default: return 2;
    }
}

std::vector<std::string> SplitDeviceList(const ALCchar* list) {
    std::vector<std::string> names;
    while (list && *list) {
        names.emplace_back(list);
        list += names.back().size() + 1;
    }
    return names;
}

bool CanEnumerateAll() { return alcIsExtensionPresent(nullptr, "ALC_ENUMERATE_ALL_EXT") == ALC_TRUE; }

// A decimal number written with the same digits in hexadecimal: 19 gives 0x19.
unsigned DecimalAsHexDigits(int value) {
    unsigned result = 0, shift = 0;
    for (int rest = std::max(0, value); shift < 8; rest /= 10, shift += 4) {
        result |= static_cast<unsigned>(rest % 10) << shift;
        if (rest < 10) break;
    }
    return result;
}

// libsndfile's notes on the file it opened; a header that promises more data than the file
// holds shows up there as "... (should be N)".
bool HeaderPromisesMore(SNDFILE* file) {
    std::vector<char> log(8192, '\0');
    sf_command(file, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size()));
    return std::strstr(log.data(), "(should be") != nullptr;
}

bool FileExists(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return static_cast<bool>(in);
}

}  // namespace

const char* ResultName(int result) {
    if (result < 0 || result >= kResultCount) return nullptr;
    return kResultNames[result];
}

// ---------------------------------------------------------------------------------------------

struct Sound::Data {
    System::Impl* system = nullptr;  // null once the system is gone
    std::string path;
    bool stream = false;
    unsigned mode = MODE_DEFAULT;
    int loopCount = -1;
    int channels = 0;
    int rate = 0;
    int64_t frames = 0;
    ALenum format = 0;

    ALuint buffer = 0;  // an effect's samples

    SNDFILE* file = nullptr;  // a stream's decoder, open while the sound exists
    std::vector<ALuint> chunks;
    int chunkFrames = 0;
    std::vector<float> chunk;
    int voice = -1;           // the channel the stream plays on, or -1
    int loopsLeft = 0;
    int64_t passFrames = 0;   // frames decoded since the stream last started from its beginning
    bool ended = false;       // nothing more to decode for this play
    bool reportedShortPass = false;
};

struct Voice {
    ALuint source = 0;
    uint32_t generation = 0;
    bool active = false;   // a play holds the channel
    bool paused = false;
    Sound* sound = nullptr;
    uint64_t startOrder = 0;
    float volume = 1.0f;   // the source's gain; every new play starts at 1
};

struct System::Impl {
    System* owner = nullptr;
    LoopbackCalls loopbackCalls = FindLoopbackCalls();

    OutputType requestedOutput = OUTPUTTYPE_AUTODETECT;
    OutputType output = OUTPUTTYPE_AUTODETECT;
    SpeakerMode speakerMode = SPEAKERMODE_STEREO;
    unsigned dspBufferLength = 0;
    int mixRate = 0;
    int streamChunkFrames = kDefaultStreamChunkFrames;
    int streamChunks = kDefaultStreamChunks;

    bool probed = false;
    std::vector<std::string> driverNames;
    int driver = 0;
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    // Sources the context is made for: the channels asked for, no more. OpenAL sets memory aside
    // for every source it could make (256 by default) and for effect sends the game never uses.
    int sources = 0;
    bool loopback = false;
    int loopbackChannels = 2;
    int loopbackRate = kDefaultMixRate;
    double loopbackCarry = 0.0;
    std::chrono::steady_clock::time_point lastMix;
    std::vector<float> mixScratch;

    bool initialized = false;
    bool deviceLost = false;
    ALenum monoFloat = 0;
    ALenum stereoFloat = 0;
    std::vector<Voice> voices;
    uint64_t playsStarted = 0;
    std::set<Sound*> sounds;  // alive; cut loose when the system goes

    bool Playable() const { return context != nullptr && !deviceLost; }

    void MakeCurrent() const {
        if (context && alcGetCurrentContext() != context) alcMakeContextCurrent(context);
    }

    // Lists the devices and opens the first that works, the default one first.
    void Probe() {
        if (probed) return;
        probed = true;
        const bool all = CanEnumerateAll();
        driverNames = SplitDeviceList(alcGetString(nullptr, all ? ALC_ALL_DEVICES_SPECIFIER : ALC_DEVICE_SPECIFIER));
        device = alcOpenDevice(nullptr);
        if (device) {
            const ALCchar* opened = alcGetString(device, all ? ALC_ALL_DEVICES_SPECIFIER : ALC_DEVICE_SPECIFIER);
            const std::string name = opened ? opened : "";
            auto found = std::find(driverNames.begin(), driverNames.end(), name);
            if (found == driverNames.end()) found = driverNames.insert(driverNames.begin(), name);
            driver = static_cast<int>(found - driverNames.begin());
            return;
        }
        for (size_t i = 0; i < driverNames.size() && !device; ++i) {
            device = alcOpenDevice(driverNames[i].c_str());
            driver = static_cast<int>(i);
        }
        if (!device) {
            driverNames.clear();
            driver = 0;
        }
    }

    // Ends the list with the source limits and its terminating zero.
    void AddSourceLimits(std::vector<ALCint>& attributes) const {
        attributes.insert(attributes.end(),
                          {ALC_MONO_SOURCES, sources, ALC_STEREO_SOURCES, 0, ALC_MAX_AUXILIARY_SENDS, 0});
        attributes.push_back(0);
    }

    std::string DeviceName() const {
        return driver >= 0 && driver < static_cast<int>(driverNames.size()) ? driverNames[driver] : "";
    }

    bool OpenLoopback() {
        if (!loopbackCalls.Available()) return false;
        const ALCenum layout = LoopbackChannels(speakerMode);
        loopbackRate = mixRate > 0 ? mixRate : kDefaultMixRate;
        loopbackChannels = ChannelCount(layout);
        device = loopbackCalls.open(nullptr);
        if (!device) return false;
        std::vector<ALCint> attributes{ALC_FORMAT_CHANNELS_SOFT, layout, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                                       ALC_FREQUENCY, loopbackRate};
        AddSourceLimits(attributes);
        context = alcCreateContext(device, attributes.data());
        if (!context) {
            alcCloseDevice(device);
            device = nullptr;
            return false;
        }
        loopback = true;
        return true;
    }

    void CloseOutput() {
        if (context) {
            if (alcGetCurrentContext() == context) alcMakeContextCurrent(nullptr);
            alcDestroyContext(context);
            context = nullptr;
        }
        if (device) alcCloseDevice(device);
        device = nullptr;
        loopback = false;
    }

    Voice* VoiceFor(const Channel& channel) {
        if (channel.system != owner || channel.index < 0 || channel.index >= static_cast<int>(voices.size()))
            return nullptr;
        Voice& voice = voices[static_cast<size_t>(channel.index)];
        return voice.generation == channel.generation ? &voice : nullptr;
    }

    ALint SourceState(const Voice& voice) const {
        ALint state = AL_STOPPED;
        alGetSourcei(voice.source, AL_SOURCE_STATE, &state);
        return state;
    }

    // An effect's channel is free again once its source has played to the end.
    bool Finished(const Voice& voice) const {
        return voice.active && voice.sound && !voice.sound->data->stream && SourceState(voice) == AL_STOPPED;
    }

    void StopVoice(int index) {
        Voice& voice = voices[static_cast<size_t>(index)];
        if (voice.source) {
            alSourceStop(voice.source);
            alSourcei(voice.source, AL_BUFFER, 0);  // unqueues whatever it held
        }
        if (voice.sound && voice.sound->data->voice == index) voice.sound->data->voice = -1;
        voice.sound = nullptr;
        voice.active = false;
        voice.paused = false;
    }

    int FindVoice(int channelId) {
        const int count = static_cast<int>(voices.size());
        if (channelId != CHANNEL_FREE) return channelId >= 0 && channelId < count ? channelId : -1;
        int oldestEffect = -1;
        for (int i = 0; i < count; ++i) {
            Voice& voice = voices[static_cast<size_t>(i)];
            if (!voice.active || Finished(voice)) return i;
            if (!voice.sound->data->stream &&
                (oldestEffect < 0 || voice.startOrder < voices[static_cast<size_t>(oldestEffect)].startOrder))
                oldestEffect = i;
        }
        return oldestEffect;
    }

    // Decodes up to one chunk into `buffer`, going back to the start of the file as often as the
    // loop count allows. Returns the frames decoded; 0 when the stream has nothing more.
    int FillChunk(Sound::Data& stream, ALuint buffer) {
        int frames = 0;
        while (frames < stream.chunkFrames && !stream.ended) {
            const sf_count_t got = sf_readf_float(stream.file, stream.chunk.data() + static_cast<ptrdiff_t>(frames) * stream.channels,
                                                  stream.chunkFrames - frames);
            if (got > 0) {
                frames += static_cast<int>(got);
                stream.passFrames += got;
                continue;
            }
            // The end of the file, or as far as it can be decoded.
            if (stream.passFrames < stream.frames && !stream.reportedShortPass) {
                std::cerr << "WARNING: Music stream '" << stream.path << "' ended early: " << std::dec
                          << stream.passFrames << " of " << stream.frames
                          << " frames decoded; it goes on from its beginning" << std::endl;
                stream.reportedShortPass = true;
            }
            // A file that decodes nothing must not make this loop spin.
            if (stream.passFrames == 0 || stream.loopsLeft == 0) {
                stream.ended = true;
                break;
            }
            if (stream.loopsLeft > 0) --stream.loopsLeft;
            if (sf_seek(stream.file, 0, SEEK_SET) < 0) {
                std::cerr << "WARNING: Music stream '" << stream.path << "' cannot go back to its beginning: "
                          << sf_strerror(stream.file) << std::endl;
                stream.ended = true;
                break;
            }
            stream.passFrames = 0;
        }
        if (frames > 0)
            alBufferData(buffer, stream.format, stream.chunk.data(),
                         static_cast<ALsizei>(static_cast<size_t>(frames) * static_cast<size_t>(stream.channels) *
                                              sizeof(float)),
                         stream.rate);
        return frames;
    }

    bool StartStream(int index, Sound::Data& stream) {
        Voice& voice = voices[static_cast<size_t>(index)];
        stream.loopsLeft = (stream.mode & MODE_LOOP_NORMAL) ? stream.loopCount : 0;
        stream.passFrames = 0;
        stream.ended = sf_seek(stream.file, 0, SEEK_SET) < 0;
        alSourcei(voice.source, AL_LOOPING, AL_FALSE);
        int queued = 0;
        for (ALuint buffer : stream.chunks) {
            if (FillChunk(stream, buffer) == 0) break;
            alSourceQueueBuffers(voice.source, 1, &buffer);
            ++queued;
        }
        stream.voice = queued > 0 ? index : -1;
        return queued > 0;
    }

    void StartEffect(Voice& voice, const Sound::Data& effect) {
        const int loops = (effect.mode & MODE_LOOP_NORMAL) ? effect.loopCount : 0;
        alSourcei(voice.source, AL_LOOPING, loops < 0 ? AL_TRUE : AL_FALSE);
        if (loops <= 0) {
            alSourcei(voice.source, AL_BUFFER, static_cast<ALint>(effect.buffer));
            return;
        }
        for (int i = 0; i <= loops; ++i) alSourceQueueBuffers(voice.source, 1, &effect.buffer);
    }

    // Refills the chunks the source has played; restarts a source that ran dry while the game
    // could not call Update in time; frees the channel once the stream has played out.
    void ServiceStream(int index) {
        Voice& voice = voices[static_cast<size_t>(index)];
        Sound::Data& stream = *voice.sound->data;
        ALint processed = 0;
        alGetSourcei(voice.source, AL_BUFFERS_PROCESSED, &processed);
        for (; processed > 0; --processed) {
            ALuint buffer = 0;
            alSourceUnqueueBuffers(voice.source, 1, &buffer);
            if (!stream.ended && FillChunk(stream, buffer) > 0) alSourceQueueBuffers(voice.source, 1, &buffer);
        }
        ALint queued = 0;
        alGetSourcei(voice.source, AL_BUFFERS_QUEUED, &queued);
        if (queued == 0) {
            StopVoice(index);
        } else if (!voice.paused && SourceState(voice) == AL_STOPPED) {
            alSourcePlay(voice.source);
        }
    }

    void MixLoopback() {
        const auto now = std::chrono::steady_clock::now();
        const double seconds = std::min(std::chrono::duration<double>(now - lastMix).count(), kLongestLoopbackStep);
        lastMix = now;
        loopbackCarry += seconds * loopbackRate;
        const int frames = static_cast<int>(loopbackCarry);
        if (frames <= 0) return;
        loopbackCarry -= frames;
        mixScratch.resize(static_cast<size_t>(frames) * static_cast<size_t>(loopbackChannels));
        loopbackCalls.render(device, mixScratch.data(), frames);
    }

    void NoticeLostDevice() {
        if (loopback || deviceLost || !device) return;
        ALCint connected = ALC_TRUE;
        alcGetIntegerv(device, ALC_CONNECTED, 1, &connected);
        if (connected) return;
        deviceLost = true;
        std::cerr << "WARNING: Sound device '" << DeviceName()
                  << "' stopped working; the game goes on without sound" << std::endl;
        for (int i = 0; i < static_cast<int>(voices.size()); ++i) StopVoice(i);
    }

    // Releases what a sound holds on the output and forgets it.
    void Forget(Sound* sound) {
        Sound::Data& data = *sound->data;
        MakeCurrent();
        for (int i = 0; i < static_cast<int>(voices.size()); ++i)
            if (voices[static_cast<size_t>(i)].sound == sound) StopVoice(i);
        if (context) {
            if (data.buffer) alDeleteBuffers(1, &data.buffer);
            if (!data.chunks.empty()) alDeleteBuffers(static_cast<ALsizei>(data.chunks.size()), data.chunks.data());
        }
        data.buffer = 0;
        data.chunks.clear();
        data.system = nullptr;
        sounds.erase(sound);
    }

    Result OpenSoundFile(const std::string& path, bool stream, unsigned mode, std::unique_ptr<Sound>* out) {
        if (!out) return ERR_INVALID_PARAM;
        out->reset();
        if (!initialized) return ERR_UNINITIALIZED;
        if (!FileExists(path)) return ERR_FILE_NOTFOUND;
        SF_INFO info{};
        SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
        if (!file) {
            std::cerr << "ERROR: Sound file '" << path << "' cannot be decoded: " << sf_strerror(nullptr) << std::endl;
            return ERR_FORMAT;
        }
        if (info.channels < 1 || info.channels > 2) {
            std::cerr << "ERROR: Sound file '" << path << "' has " << std::dec << info.channels
                      << " channels; only mono and stereo sounds play" << std::endl;
            sf_close(file);
            return ERR_FORMAT;
        }
        if (info.frames == 0) {
            std::cerr << "ERROR: Sound file '" << path << "' holds no sound" << std::endl;
            sf_close(file);
            return ERR_FILE_BAD;
        }
        const bool cutShort = HeaderPromisesMore(file);

        auto data = std::make_unique<Sound::Data>();
        data->path = path;
        data->stream = stream;
        data->mode = mode;
        data->channels = info.channels;
        data->rate = info.samplerate;
        data->frames = info.frames;
        data->format = info.channels == 1 ? monoFloat : stereoFloat;

        if (stream) {
            if (cutShort)
                std::cerr << "WARNING: Music file '" << path
                          << "' is shorter than its header says; it plays what it holds" << std::endl;
            data->file = file;
            data->chunkFrames = streamChunkFrames;
            data->chunk.resize(static_cast<size_t>(streamChunkFrames) * static_cast<size_t>(info.channels));
            if (context) {
                MakeCurrent();
                data->chunks.resize(static_cast<size_t>(streamChunks));
                alGenBuffers(streamChunks, data->chunks.data());
            }
        } else {
            std::vector<float> samples;
            std::vector<float> block(4096 * static_cast<size_t>(info.channels));
            for (;;) {
                const sf_count_t got = sf_readf_float(file, block.data(), 4096);
                if (got <= 0) break;
                samples.insert(samples.end(), block.begin(), block.begin() + got * info.channels);
            }
            sf_close(file);
            const int64_t decoded = static_cast<int64_t>(samples.size()) / info.channels;
            if (decoded == 0) {
                std::cerr << "ERROR: Sound file '" << path << "' holds no sound that can be decoded" << std::endl;
                return ERR_FILE_BAD;
            }
            if (cutShort || decoded < info.frames)
                std::cerr << "WARNING: Sound file '" << path << "' is shorter than its header says; it plays the "
                          << std::dec << decoded << " frames it holds" << std::endl;
            data->frames = decoded;
            if (context) {
                MakeCurrent();
                alGetError();
                alGenBuffers(1, &data->buffer);
                alBufferData(data->buffer, data->format, samples.data(),
                             static_cast<ALsizei>(samples.size() * sizeof(float)), info.samplerate);
                if (alGetError() != AL_NO_ERROR) {
                    std::cerr << "ERROR: Sound file '" << path << "' does not fit into the sound output" << std::endl;
                    alDeleteBuffers(1, &data->buffer);
                    return ERR_MEMORY;
                }
            }
        }
        data->system = this;
        out->reset(new Sound(std::move(data)));
        sounds.insert(out->get());
        return OK;
    }
};

// ---------------------------------------------------------------------------------------------

Sound::Sound(std::unique_ptr<Data> data_) : data(std::move(data_)) {}

Sound::~Sound() {
    if (data->system) data->system->Forget(this);
    if (data->file) sf_close(data->file);
}

Result Sound::SetLoopCount(int loopCount) {
    if (loopCount < -1) return ERR_INVALID_PARAM;
    data->loopCount = loopCount;
    return OK;
}

Result Sound::GetLoopCount(int* loopCount) const {
    if (!loopCount) return ERR_INVALID_PARAM;
    *loopCount = data->loopCount;
    return OK;
}

Result Sound::GetFormat(int64_t* frames, int* channels, int* rate) const {
    if (frames) *frames = data->frames;
    if (channels) *channels = data->channels;
    if (rate) *rate = data->rate;
    return OK;
}

bool Sound::IsStream() const { return data->stream; }

// ---------------------------------------------------------------------------------------------

Result Channel::Stop() {
    if (!system) return ERR_INVALID_HANDLE;
    System::Impl& impl = *system->impl;
    Voice* voice = impl.VoiceFor(*this);
    if (!voice) return ERR_INVALID_HANDLE;
    if (voice->active) {
        impl.MakeCurrent();
        impl.StopVoice(index);
    }
    return OK;
}

Result Channel::IsPlaying(bool* playing) const {
    if (!playing) return ERR_INVALID_PARAM;
    *playing = false;
    if (!system) return ERR_INVALID_HANDLE;
    System::Impl& impl = *system->impl;
    Voice* voice = impl.VoiceFor(*this);
    if (!voice) return ERR_INVALID_HANDLE;
    impl.MakeCurrent();
    *playing = voice->active && !impl.Finished(*voice);
    return OK;
}

Result Channel::SetPaused(bool paused) {
    if (!system) return ERR_INVALID_HANDLE;
    System::Impl& impl = *system->impl;
    Voice* voice = impl.VoiceFor(*this);
    if (!voice) return ERR_INVALID_HANDLE;
    if (!voice->active || voice->paused == paused) return OK;
    impl.MakeCurrent();
    voice->paused = paused;
    if (paused) alSourcePause(voice->source);
    else alSourcePlay(voice->source);
    return OK;
}

Result Channel::SetVolume(float volume) {
    if (!system) return ERR_INVALID_HANDLE;
    System::Impl& impl = *system->impl;
    Voice* voice = impl.VoiceFor(*this);
    if (!voice) return ERR_INVALID_HANDLE;
    voice->volume = std::isfinite(volume) ? std::clamp(volume, 0.0f, 1.0f) : 1.0f;
    impl.MakeCurrent();
    alSourcef(voice->source, AL_GAIN, voice->volume);
    return OK;
}

Result Channel::GetVolume(float* volume) const {
    if (!volume) return ERR_INVALID_PARAM;
    if (!system) return ERR_INVALID_HANDLE;
    const Voice* voice = system->impl->VoiceFor(*this);
    if (!voice) return ERR_INVALID_HANDLE;
    *volume = voice->volume;
    return OK;
}

// ---------------------------------------------------------------------------------------------

System::System() : impl(std::make_unique<Impl>()) { impl->owner = this; }

Result System::Create(std::unique_ptr<System>* system) {
    if (!system) return ERR_INVALID_PARAM;
    system->reset(new System());
    return OK;
}

System::~System() {
    impl->MakeCurrent();
    for (int i = 0; i < static_cast<int>(impl->voices.size()); ++i) impl->StopVoice(i);
    // Sounds still alive keep their files but lose their place on the output.
    while (!impl->sounds.empty()) impl->Forget(*impl->sounds.begin());
    for (Voice& voice : impl->voices)
        if (voice.source) alDeleteSources(1, &voice.source);
    impl->voices.clear();
    impl->CloseOutput();
}

Result System::GetVersion(unsigned* version) {
    if (!version) return ERR_INVALID_PARAM;
    *version = 0;
    std::string text;
    auto readVersion = [&text]() {
        const ALchar* value = alGetString(AL_VERSION);
        text = value ? value : "";
    };
    if (impl->context) {
        impl->MakeCurrent();
        readVersion();
    } else if (impl->loopbackCalls.Available()) {
        // The version is a property of a context; a loopback one needs no sound device.
        ALCdevice* device = impl->loopbackCalls.open(nullptr);
        const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                                     ALC_FREQUENCY, kDefaultMixRate, 0};
        ALCcontext* context = device ? alcCreateContext(device, attributes) : nullptr;
        if (context) {
            ALCcontext* previous = alcGetCurrentContext();
            alcMakeContextCurrent(context);
            readVersion();
            alcMakeContextCurrent(previous);
            alcDestroyContext(context);
        }
        if (device) alcCloseDevice(device);
    }
    // "1.1 ALSOFT 1.19.1": the interface version, then the library's own.
    const size_t own = text.find("ALSOFT ");
    const std::string numbers = own != std::string::npos ? text.substr(own + 7) : text;
    int major = 0, minor = 0, patch = 0;
    if (std::sscanf(numbers.c_str(), "%d.%d.%d", &major, &minor, &patch) < 2) return ERR_INTERNAL;
    *version = DecimalAsHexDigits(major) << 16 | DecimalAsHexDigits(minor) << 8 | DecimalAsHexDigits(patch);
    return OK;
}

Result System::GetNumDrivers(int* count) {
    if (!count) return ERR_INVALID_PARAM;
    impl->Probe();
    *count = static_cast<int>(impl->driverNames.size());
    return OK;
}

Result System::GetDriverInfo(int id, char* name, int nameLength) {
    impl->Probe();
    if (id < 0 || id >= static_cast<int>(impl->driverNames.size())) return ERR_INVALID_PARAM;
    if (name && nameLength > 0) {
        const std::string& driverName = impl->driverNames[static_cast<size_t>(id)];
        const size_t length = std::min(driverName.size(), static_cast<size_t>(nameLength - 1));
        std::memcpy(name, driverName.data(), length);
        name[length] = '\0';
    }
    return OK;
}

Result System::GetDriver(int* id) {
    if (!id) return ERR_INVALID_PARAM;
    impl->Probe();
    *id = impl->driver;
    return OK;
}

Result System::GetDriverCaps(int id, unsigned* caps, SpeakerMode* controlPanelSpeakerMode) {
    impl->Probe();
    if (id < 0 || id >= static_cast<int>(impl->driverNames.size())) return ERR_INVALID_PARAM;
    if (caps) *caps = CAPS_NONE;
    if (controlPanelSpeakerMode) *controlPanelSpeakerMode = SPEAKERMODE_STEREO;
    return OK;
}

Result System::SetOutput(OutputType output) {
    if (impl->initialized) return ERR_INITIALIZED;
    if (output != OUTPUTTYPE_AUTODETECT && output != OUTPUTTYPE_NOSOUND) return ERR_INVALID_PARAM;
    impl->requestedOutput = output;
    return OK;
}

Result System::GetOutput(OutputType* output) const {
    if (!output) return ERR_INVALID_PARAM;
    *output = impl->initialized ? impl->output : impl->requestedOutput;
    return OK;
}

Result System::SetSpeakerMode(SpeakerMode mode) {
    if (impl->initialized) return ERR_INITIALIZED;
    if (mode < SPEAKERMODE_RAW || mode > SPEAKERMODE_PROLOGIC) return ERR_INVALID_PARAM;
    impl->speakerMode = mode;
    return OK;
}

Result System::SetDSPBufferSize(unsigned length, int count) {
    if (impl->initialized) return ERR_INITIALIZED;
    if (length == 0 || count <= 0) return ERR_INVALID_PARAM;
    impl->dspBufferLength = length;
    return OK;
}

Result System::SetStreamBufferSize(int chunkFrames, int chunks) {
    if (chunkFrames < 256 || chunks < 2 || chunks > kMaxStreamChunks) return ERR_INVALID_PARAM;
    impl->streamChunkFrames = chunkFrames;
    impl->streamChunks = chunks;
    return OK;
}

Result System::SetSoftwareFormat(int rate, SoundFormat, int, int, Resampler) {
    if (impl->initialized) return ERR_INITIALIZED;
    if (rate <= 0) return ERR_INVALID_PARAM;
    impl->mixRate = rate;
    return OK;
}

Result System::Init(int maxChannels, unsigned, void*) {
    Impl& s = *impl;
    if (s.initialized) return ERR_INITIALIZED;
    if (maxChannels < 0) return ERR_INVALID_PARAM;
    if (!LoopbackChannels(s.speakerMode)) return ERR_OUTPUT_CREATEBUFFER;
    s.sources = maxChannels;

    Result result = OK;
    if (s.requestedOutput == OUTPUTTYPE_AUTODETECT) {
        s.Probe();
        if (s.device) {
            const int rate = s.mixRate > 0 ? s.mixRate : kDefaultMixRate;
            std::vector<ALCint> attributes;
            if (s.mixRate > 0) attributes.insert(attributes.end(), {ALC_FREQUENCY, s.mixRate});
            if (s.dspBufferLength > 0)
                attributes.insert(attributes.end(),
                                  {ALC_REFRESH, std::max(1, rate / static_cast<int>(s.dspBufferLength))});
            s.AddSourceLimits(attributes);
            s.context = alcCreateContext(s.device, attributes.data());
            if (!s.context) {
                std::cerr << "WARNING: Sound device '" << s.DeviceName() << "' could not be started (error 0x"
                          << std::hex << alcGetError(s.device) << std::dec << "); the game goes on without sound"
                          << std::endl;
                alcCloseDevice(s.device);
                s.device = nullptr;
                result = ERR_OUTPUT_INIT;
            }
        }
    }
    if (!s.context) {
        if (s.device) alcCloseDevice(s.device);  // opened while listing, but no sound was asked for
        s.device = nullptr;
        if (!s.OpenLoopback()) {
            std::cerr << "WARNING: Sound cannot even be mixed without output; every sound is skipped" << std::endl;
            if (result == OK) result = ERR_OUTPUT_INIT;
        }
    }
    s.output = s.context && !s.loopback ? OUTPUTTYPE_AUTODETECT : OUTPUTTYPE_NOSOUND;
    s.initialized = true;
    s.lastMix = std::chrono::steady_clock::now();
    if (!s.context) return result;

    s.MakeCurrent();
    s.monoFloat = alGetEnumValue("AL_FORMAT_MONO_FLOAT32");
    s.stereoFloat = alGetEnumValue("AL_FORMAT_STEREO_FLOAT32");
    const bool directChannels = alIsExtensionPresent("AL_SOFT_direct_channels") == AL_TRUE;
    alGetError();
    for (int i = 0; i < maxChannels; ++i) {
        Voice voice;
        alGenSources(1, &voice.source);
        if (alGetError() != AL_NO_ERROR) break;
        // Every sound of the game is heard as it was recorded: no position, no distance, and the
        // two sides of a stereo file go to the two speakers unchanged.
        alSourcei(voice.source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(voice.source, AL_POSITION, 0.0f, 0.0f, 0.0f);
        alSourcef(voice.source, AL_ROLLOFF_FACTOR, 0.0f);
        if (directChannels) alSourcei(voice.source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
        s.voices.push_back(voice);
    }
    return result;
}

Result System::Update() {
    Impl& s = *impl;
    if (!s.initialized) return ERR_UNINITIALIZED;
    if (!s.context) return OK;
    s.MakeCurrent();
    s.NoticeLostDevice();
    for (int i = 0; i < static_cast<int>(s.voices.size()); ++i) {
        Voice& voice = s.voices[static_cast<size_t>(i)];
        if (!voice.active) continue;
        if (voice.sound->data->stream) s.ServiceStream(i);
        else if (s.Finished(voice)) s.StopVoice(i);
    }
    if (s.loopback) s.MixLoopback();
    return OK;
}

Result System::CreateSound(const std::string& path, unsigned mode, std::unique_ptr<Sound>* sound) {
    return impl->OpenSoundFile(path, false, mode, sound);
}

Result System::CreateStream(const std::string& path, unsigned mode, std::unique_ptr<Sound>* sound) {
    return impl->OpenSoundFile(path, true, mode, sound);
}

Result System::PlaySound(int channelId, Sound* sound, bool paused, Channel* channel) {
    Impl& s = *impl;
    if (channel) *channel = Channel();
    if (!s.initialized) return ERR_UNINITIALIZED;
    if (!sound) return ERR_INVALID_PARAM;
    Sound::Data& data = *sound->data;
    if (data.system != impl.get()) return ERR_INVALID_HANDLE;
    // Without a working output a play is done as soon as it starts.
    if (!s.Playable() || s.voices.empty()) return OK;

    s.MakeCurrent();
    if (data.stream && data.voice >= 0) s.StopVoice(data.voice);
    const int index = s.FindVoice(channelId);
    if (index < 0) return channelId == CHANNEL_FREE ? ERR_CHANNEL_ALLOC : ERR_INVALID_PARAM;
    s.StopVoice(index);

    Voice& voice = s.voices[static_cast<size_t>(index)];
    ++voice.generation;
    voice.sound = sound;
    voice.paused = paused;
    voice.active = true;
    voice.startOrder = ++s.playsStarted;
    voice.volume = 1.0f;
    alSourcef(voice.source, AL_GAIN, 1.0f);
    if (data.stream) {
        if (!s.StartStream(index, data)) {
            s.StopVoice(index);
            return ERR_FILE_EOF;
        }
    } else {
        s.StartEffect(voice, data);
    }
    if (!paused) alSourcePlay(voice.source);
    if (channel) {
        channel->system = this;
        channel->index = index;
        channel->generation = voice.generation;
    }
    return OK;
}

Result System::GetChannelsPlaying(int* playing) {
    if (!playing) return ERR_INVALID_PARAM;
    impl->MakeCurrent();
    *playing = static_cast<int>(std::count_if(impl->voices.begin(), impl->voices.end(), [this](const Voice& voice) {
        return voice.active && !impl->Finished(voice);
    }));
    return OK;
}

}  // namespace snd
