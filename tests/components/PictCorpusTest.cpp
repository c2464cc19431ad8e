// Replays the fuzzer's corpus (tests/fuzz/corpus/pict) through the
// decoder: every file either decodes to a consistent bitmap or is refused
// with a PBException. Under the normal build this checks the outcomes; the
// memory safety of the same inputs was checked by the sanitizer build.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "components/ZrPict.h"

TEST(PictCorpus, EveryInputDecodesOrIsRefused) {
    const QDir dir(QStringLiteral(PICT_CORPUS_DIR));
    const QStringList files = dir.entryList(QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 20) << "corpus missing at " << PICT_CORPUS_DIR;
    int decoded = 0, refused = 0;
    for (const QString& name : files) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray bytes = file.readAll();
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
        try {
            const tav::TPictImage pict = tav::DecodePict(data, size_t(bytes.size()));
            if (!pict.Empty()) {
                ASSERT_EQ(pict.Pixels.size(), size_t(pict.Stride) * size_t(pict.Height)) << name.toStdString();
                ASSERT_LE(int64_t(pict.Width) * pict.Height, tav::kMaxPictPixels);
                const QImage image = tav::PictImageToQImage(pict);
                ASSERT_EQ(image.size(), QSize(pict.Width, pict.Height)) << name.toStdString();
            }
            ++decoded;
        } catch (const tav::PBException& e) {
            EXPECT_NE(std::string(e.what()), "") << name.toStdString();
            ++refused;
        }
    }
    // The corpus holds both kinds, or it no longer tests what it should.
    EXPECT_GT(decoded, 0);
    EXPECT_GT(refused, 0);
}
