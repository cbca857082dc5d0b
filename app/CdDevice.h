#pragma once
// The player's side of the `cdaudio` device: the alias, fire-and-forget commands, queries into
// fixed-size reply buffers, and cutting replies into fields by character position.
//
// Result codes are never looked at: a refused command simply has no effect and the next poll
// shows the real state. A failed query leaves its buffer as it was, so the caller reads what the
// buffer held before.
//
// UI thread only.
#include <QString>
#include <array>
#include <cstddef>

namespace corvina {

// The alias under which the device is opened once at start.
inline constexpr const char* kCdAlias = "CorvinaCD";

// A reply buffer of N characters, the terminating zero included. Kept between queries: nothing
// clears it, as a failed query must leave the previous reply in place.
template <std::size_t N>
struct ReplyBuffer {
    std::array<char, N> data{};
    // The reply up to its first zero (or the whole buffer when none).
    QString text() const;
};

// A command text with the device alias in place of %1 ("play %1" gives "play CorvinaCD").
QString cdCommand(const char* pattern);

// Sends a command and ignores its result.
void cdSend(const QString& command);

// Sends a query; the reply lands in `buffer`. Returns the buffer's text afterwards.
template <std::size_t N>
QString cdQuery(const QString& command, ReplyBuffer<N>& buffer);

// Characters `pos` (1-based) to pos + count - 1 of `text`; shorter or empty when the text ends
// earlier ("5" gives "5" for characters 1-2).
QString field(const QString& text, int pos, int count);

// Implementation of the templates.
QString replyText(const char* data, std::size_t size);
void cdSendRaw(const QString& command, char* reply, std::size_t size);

template <std::size_t N>
QString ReplyBuffer<N>::text() const {
    return replyText(data.data(), N);
}

template <std::size_t N>
QString cdQuery(const QString& command, ReplyBuffer<N>& buffer) {
    cdSendRaw(command, buffer.data.data(), N);
    return buffer.text();
}

}  // namespace corvina
