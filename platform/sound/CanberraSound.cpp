// Event sounds through libcanberra, which looks the event up in the desktop's XDG sound theme
// (falling back to the freedesktop theme) and plays it through PulseAudio or ALSA.
#include "platform/sound/EventSound.h"

#ifdef CORVINA_HAVE_CANBERRA
#include <canberra.h>

#include "platform/RuntimeLibrary.h"

namespace corvina::sound {

namespace {

// Opened at the first event sound, with the sound-theme and sound-system libraries it brings.
#define CORVINA_CANBERRA_FUNCTIONS(X) \
    X(ca_context_create) X(ca_context_destroy) X(ca_context_change_props) X(ca_context_play)

struct Canberra {
    CORVINA_CANBERRA_FUNCTIONS(CORVINA_LIBRARY_POINTER)
};

const Canberra* canberra() {
    return loadLibraryOnce<Canberra>(
        CORVINA_CANBERRA_SONAME,
        [](RuntimeLibrary& lib, Canberra& api) { CORVINA_CANBERRA_FUNCTIONS(CORVINA_LIBRARY_BIND) },
        nullptr);
}

struct ContextDeleter {
    void operator()(ca_context* context) const { canberra()->ca_context_destroy(context); }
};

class CanberraSound : public EventSound {
public:
    explicit CanberraSound(ca_context* context) : context_(context) {}

    void play(const char* eventId, const char* description) override {
        // Id 0 for every sound: a new one never cancels one still playing. A theme without the
        // event answers "not found", which is silence, as wanted.
        canberra()->ca_context_play(context_.get(), 0, CA_PROP_EVENT_ID, eventId,
                                    CA_PROP_EVENT_DESCRIPTION, description,
                                    CA_PROP_CANBERRA_CACHE_CONTROL, "permanent", nullptr);
    }

private:
    std::unique_ptr<ca_context, ContextDeleter> context_;
};

}  // namespace

std::unique_ptr<EventSound> makeCanberraSound() {
    const Canberra* lib = canberra();
    ca_context* context = nullptr;
    if (!lib || lib->ca_context_create(&context) != CA_SUCCESS) return nullptr;
    lib->ca_context_change_props(context, CA_PROP_APPLICATION_NAME, "Corvina CD 播放器",
                                 CA_PROP_APPLICATION_ID, "corvina", nullptr);
    return std::make_unique<CanberraSound>(context);
}

}  // namespace corvina::sound

#else

namespace corvina::sound {

std::unique_ptr<EventSound> makeCanberraSound() {
    return nullptr;
}

}  // namespace corvina::sound

#endif
