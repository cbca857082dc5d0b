#include "platform/sound/EventSound.h"

namespace corvina::sound {

namespace {

class SilentSound : public EventSound {
public:
    void play(const char*, const char*) override {}
};

std::unique_ptr<EventSound>& current() {
    static std::unique_ptr<EventSound> sound;
    return sound;
}

}  // namespace

std::unique_ptr<EventSound> makeSilentSound() {
    return std::make_unique<SilentSound>();
}

EventSound& eventSound() {
    auto& sound = current();
    if (!sound) sound = makeCanberraSound();
    if (!sound) sound = makeSilentSound();
    return *sound;
}

void setEventSound(std::unique_ptr<EventSound> sound) {
    current() = std::move(sound);
}

}  // namespace corvina::sound
