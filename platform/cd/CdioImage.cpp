#include "platform/cd/CdioImage.h"

#include <cdio/cdio.h>

#include <QFile>
#include <algorithm>
#include <cstring>

#include "platform/cd/Cdio.h"

namespace corvina::cd {
namespace {

class CdioImage : public DiscSource {
public:
    CdioImage(CdioPtr cdio, Toc toc) : cdio_(std::move(cdio)), toc_(std::move(toc)) {}

    const Toc& toc() const override { return toc_; }

    bool readSector(int frame, std::int16_t* out) override {
        std::fill(out, out + 2 * kSamplesPerSector, 0);
        if (frame < toc_.firstFrame() || frame >= toc_.leadOut) return true;
        if (!toc_.tracks[static_cast<std::size_t>(toc_.trackAt(frame) - 1)].audio) return true;
        unsigned char bytes[CDIO_CD_FRAMESIZE_RAW];
        if (cdio_read_audio_sector(cdio_.get(), bytes, frame - kLeadInFrames) !=
            DRIVER_OP_SUCCESS)
            return false;
        // CD audio is little-endian 16-bit stereo.
        for (int i = 0; i < 2 * kSamplesPerSector; ++i)
            out[i] = static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        return true;
    }

private:
    CdioPtr cdio_;
    Toc toc_;
};

}  // namespace

std::shared_ptr<DiscSource> loadCdioImage(const QString& path, QString& error) {
    CdioPtr cdio = openCdio(QFile::encodeName(path).constData(), DRIVER_NRG);
    if (!cdio) {
        error = QStringLiteral("not a disc image that can be read");
        return nullptr;
    }
    const track_t first = cdio_get_first_track_num(cdio.get());
    const track_t count = cdio_get_num_tracks(cdio.get());
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) {
        error = QStringLiteral("the image holds no tracks");
        return nullptr;
    }
    Toc toc;
    for (track_t t = first; t < first + count; ++t) {
        const lsn_t lsn = cdio_get_track_lsn(cdio.get(), t);
        if (lsn == CDIO_INVALID_LSN) {
            error = QStringLiteral("track %1 cannot be found in the image").arg(t);
            return nullptr;
        }
        toc.tracks.push_back(
            {int(lsn) + kLeadInFrames, cdio_get_track_format(cdio.get(), t) == TRACK_FORMAT_AUDIO});
    }
    const lsn_t leadOut = cdio_get_track_lsn(cdio.get(), CDIO_CDROM_LEADOUT_TRACK);
    toc.leadOut = int(leadOut) + kLeadInFrames;
    for (int n = 1; n <= toc.trackCount(); ++n) {
        if (leadOut == CDIO_INVALID_LSN || toc.trackLength(n) <= 0) {
            error = QStringLiteral("the image's tracks do not fit together");
            return nullptr;
        }
    }
    return std::make_shared<CdioImage>(std::move(cdio), std::move(toc));
}

}  // namespace corvina::cd
