// The award certificate: scale and centring for several pages, where the
// pictures and the name land, printing to a PDF file, cancelling.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrinter>

#include <cmath>
#include <regex>

#include <zlib.h>

#include "ScreenFixture.h"
#include "content/OurUtils.h"
#include "content/UnicodeText.h"
#include "learners/Award.h"
#include "learners/ShortDate.h"

using namespace tav;
using namespace tavtest;
namespace cert = tav::certificate;

namespace {

// The expected scale worked out another way: in floating point.
struct Expected {
    double scale;
    int x, y;
};
Expected ExpectedFor(int w, int h) {
    const bool heightLimits = 1862.0 * h / 2884.0 < w;
    const double scale = heightLimits ? h * 0.9 / 2884.0 : w * 0.9 / 1862.0;
    const int width = int(std::lround(1862 * scale)), height = int(std::lround(2884 * scale));
    return {scale, (w - width) / 2, (h - height) / 2};
}

const QColor kBackground(240, 230, 200), kTop(200, 0, 0), kRibbon(0, 160, 0), kSignature(0, 0, 200),
    kTitle(200, 0, 200), kSilver(0, 200, 200), kGold(230, 200, 0);

// The page content streams of a PDF file, inflated.
std::vector<std::string> PdfStreams(const std::string& pdf) {
    std::vector<std::string> streams;
    size_t at = 0;
    while ((at = pdf.find("stream\n", at)) != std::string::npos) {
        const size_t start = at + 7;
        const size_t end = pdf.find("endstream", start);
        if (end == std::string::npos) break;
        std::string out(1 << 22, '\0');
        uLongf size = out.size();
        if (uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                       reinterpret_cast<const Bytef*>(pdf.data() + start), uLong(end - start)) == Z_OK) {
            out.resize(size);
            streams.push_back(out);
        }
        at = end + 9; // past "endstream", which itself ends in "stream"
    }
    return streams;
}

// Where the PDF writer put its pictures, in the printer's device pixels, in drawing order.
std::vector<QRect> PdfPictureRects(const std::string& pdf) {
    // "sx 0 0 sy x y cm" places the picture, "w 0 0 -h 0 h cm /ImN Do" draws it w x h.
    static const std::regex draw(
        R"(([0-9.]+) 0 0 ([0-9.]+) (-?[0-9.]+) (-?[0-9.]+) cm\s+([0-9]+) 0 0 -([0-9]+) 0 [0-9]+ cm /Im[0-9]+\s+Do)");
    std::vector<QRect> rects;
    for (const std::string& s : PdfStreams(pdf))
        for (auto it = std::sregex_iterator(s.begin(), s.end(), draw); it != std::sregex_iterator(); ++it) {
            const auto& m = *it;
            const double sx = std::stod(m[1]), sy = std::stod(m[2]);
            rects.emplace_back(int(std::lround(std::stod(m[3]))), int(std::lround(std::stod(m[4]))),
                               int(std::lround(sx * std::stod(m[5]))), int(std::lround(sy * std::stod(m[6]))));
        }
    return rects;
}

bool CloseTo(const QRect& a, const QRect& b) {
    return std::abs(a.left() - b.left()) <= 1 && std::abs(a.top() - b.top()) <= 1 &&
           std::abs(a.width() - b.width()) <= 1 && std::abs(a.height() - b.height()) <= 1;
}

class Award : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        ResetAwardForm();
        SetTodaySource([] { return QDate(2026, 12, 9); });
    }
    void TearDown() override {
        ResetAwardForm();
        SetTodaySource(nullptr);
        ScreenTest::TearDown();
    }
    void StartWithCertificate() {
        StartProgram();
        SolidPicture(program.File("shared/cert/BGCol.jpg"), 8, 8, kBackground);
        SolidPicture(program.File("shared/cert/CertTop.jpg"), 100, 12, kTop);
        SolidPicture(program.File("shared/cert/Ribbon.jpg"), 40, 150, kRibbon);
        SolidPicture(program.File("shared/cert/Signatur.jpg"), 30, 45, kSignature);
        SolidPicture(program.File("French/cert/Title.jpg"), 70, 25, kTitle);
        SolidPicture(program.File("French/cert/SAText.jpg"), 70, 30, kSilver);
        SolidPicture(program.File("French/cert/GAText.jpg"), 70, 30, kGold);
    }
    static bool Near(QRgb a, const QColor& b) {
        return std::abs(qRed(a) - b.red()) < 24 && std::abs(qGreen(a) - b.green()) < 24 &&
               std::abs(qBlue(a) - b.blue()) < 24;
    }
    // The document title as the PDF writer stores it: UTF-16BE with a byte-order mark.
    static std::string PdfTitle(const std::string& ascii) {
        std::string t = "/Title (\xFE\xFF";
        for (char c : ascii) t += std::string(1, '\0') + c;
        return t + ")";
    }
    static QPoint Centre(const QRect& r) { return QPoint(r.left() + r.width() / 2, r.top() + r.height() / 2); }
    // A PDF printer chosen without a dialog.
    static TPrintSetup PdfSetup(const std::string& file, QPageLayout::Orientation orientation, int* calls) {
        TPrintSetup setup;
        setup.Choose = [file, orientation, calls](QPrinter& printer) {
            ++*calls;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(file));
            printer.setPageSize(QPageSize(QPageSize::A4));
            printer.setPageOrientation(orientation);
            printer.setFullPage(true);
            return true;
        };
        return setup;
    }
};

} // namespace

TEST_F(Award, ScaleForA4PortraitLandscapeAndANarrowPage) {
    StartWithCertificate();
    TForm_Award form(*main);
    struct Page { int w, h; bool heightLimits; };
    for (Page page : {Page{4961, 7016, true}, Page{7016, 4961, true}, Page{595, 842, true}, Page{842, 595, true},
                      Page{1000, 2000, false}, Page{1862, 2884, false}}) {
        SCOPED_TRACE(std::to_string(page.w) + "x" + std::to_string(page.h));
        form.ComputeScale(page.w, page.h);
        if (page.heightLimits) {
            EXPECT_EQ(form.ScaleNumerator, int64_t(page.h) * 9);
            EXPECT_EQ(form.ScaleDenominator, 2884 * 10);
        } else {
            EXPECT_EQ(form.ScaleNumerator, int64_t(page.w) * 9);
            EXPECT_EQ(form.ScaleDenominator, 1862 * 10);
        }
        const Expected e = ExpectedFor(page.w, page.h);
        EXPECT_EQ(form.OffsetX, e.x);
        EXPECT_EQ(form.OffsetY, e.y);
        // Centred: equal margins (give or take the odd pixel).
        const QRect border = form.DeviceRect(cert::Border);
        EXPECT_LE(std::abs(border.left() - (page.w - border.right() - 1)), 1);
        EXPECT_LE(std::abs(border.top() - (page.h - border.bottom() - 1)), 1);
        // Nine tenths of the limiting dimension.
        if (page.heightLimits)
            EXPECT_NEAR(border.height(), page.h * 0.9, 1.0);
        else
            EXPECT_NEAR(border.width(), page.w * 0.9, 1.0);
    }
}

TEST_F(Award, ScaledRoundsToNearestWithoutOverflow) {
    StartWithCertificate();
    TForm_Award form(*main);
    form.ScaleNumerator = 1;
    form.ScaleDenominator = 2;
    EXPECT_EQ(form.Scaled(1), 1); // 0.5 rounds up
    EXPECT_EQ(form.Scaled(2), 1);
    EXPECT_EQ(form.Scaled(3), 2);
    // A huge page: 2884 x 200000 x 9 does not fit in 32 bits.
    form.ComputeScale(200000, 200000);
    EXPECT_EQ(form.Scaled(2884), 180000);
    EXPECT_EQ(form.Scaled(1862), int(std::lround(1862 * 180000.0 / 2884)));
    form.ComputeScale(1000, 2000); // 9000 / 18620
    EXPECT_EQ(form.Scaled(2884), 1394); // 1393.98
    EXPECT_EQ(form.Scaled(1862), 900);
    EXPECT_EQ(form.OffsetX, 50);
    EXPECT_EQ(form.OffsetY, 303);
}

TEST_F(Award, PicturesNameAndDateLandInTheirPlaces) {
    StartWithCertificate();
    TForm_Award form(*main);
    EXPECT_EQ(form.BackgroundColour.rgb() & 0xF0F0F0, kBackground.rgb() & 0xF0F0F0);
    form.Prepare("Mary Ann", "Silver");
    EXPECT_EQ(form.DateText, FromQString(QLocale::system().toString(QDate(2026, 12, 9), QLocale::ShortFormat)));
    QImage page(842, 1191, QImage::Format_RGB32); // A4 at 102 dpi, height-limited
    page.fill(Qt::white);
    form.ComputeScale(page.width(), page.height());
    {
        QPainter painter(&page);
        form.Draw(painter);
    }
    EXPECT_TRUE(Near(page.pixel(Centre(form.DeviceRect(cert::CertTop))), kTop));
    EXPECT_TRUE(Near(page.pixel(Centre(form.DeviceRect(cert::Ribbon))), kRibbon));
    EXPECT_TRUE(Near(page.pixel(Centre(form.DeviceRect(cert::Signature))), kSignature));
    EXPECT_TRUE(Near(page.pixel(Centre(form.DeviceRect(cert::Title))), kTitle));
    EXPECT_TRUE(Near(page.pixel(Centre(form.DeviceRect(cert::Award)) + QPoint(0, 20)), kSilver));
    // Outside the certificate the page stays white; inside, between pictures, the background colour.
    EXPECT_EQ(page.pixel(2, 2), qRgb(255, 255, 255));
    const QRect border = form.DeviceRect(cert::Border);
    EXPECT_TRUE(Near(page.pixel(border.left() + form.Scaled(60), border.top() + form.Scaled(1800)), kBackground));
    EXPECT_EQ(page.pixel(border.left(), border.center().y()) & 0xFFFFFF, 0u); // black frame
    // Ribbon's right edge is stretched to its design rectangle.
    const QRect ribbon = form.DeviceRect(cert::Ribbon);
    EXPECT_TRUE(Near(page.pixel(ribbon.right() - 1, ribbon.bottom() - 1), kRibbon));

    // The name is centred in its label: the dark pixels sit evenly about the middle.
    const QRect name = form.DeviceRect(cert::Name);
    int left = page.width(), right = -1;
    for (int y = name.top(); y <= name.bottom(); ++y)
        for (int x = name.left(); x <= name.right(); ++x)
            if (qGray(page.pixel(x, y)) < 80) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    ASSERT_GE(right, 0) << "no name drawn";
    EXPECT_LE(std::abs((left + right) / 2 - name.center().x()), 4);
    EXPECT_GT(right - left, name.width() / 6);
}

TEST_F(Award, PrintsToAPdfFileWithTheJobName) {
    StartWithCertificate();
    int calls = 0;
    const std::string pdf = data.File("cert.pdf");
    ASSERT_TRUE(PrintCertificate("Ann", "Silver", PdfSetup(pdf, QPageLayout::Portrait, &calls)));
    EXPECT_EQ(calls, 1);
    ASSERT_NE(AwardForm(), nullptr);
    EXPECT_EQ(AwardForm()->JobName, "Tavolin Silver award");
    EXPECT_EQ(AwardForm()->ScaleDenominator, 28840); // A4 portrait: limited by its height
    const std::string bytes = ReadFile(pdf);
    ASSERT_GT(bytes.size(), 1000u);
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    EXPECT_NE(bytes.find(PdfTitle("Tavolin Silver award")), std::string::npos) << "job name not on the document";
    // The pictures land in their design rectangles, scaled and centred, in the printing order.
    const TForm_Award& form = *AwardForm();
    const std::vector<QRect> expected = {form.DeviceRect(cert::CertTop), form.DeviceRect(cert::Ribbon),
                                         form.DeviceRect(cert::Signature), form.DeviceRect(cert::Title),
                                         form.DeviceRect(cert::Award)};
    const std::vector<QRect> placed = PdfPictureRects(bytes);
    ASSERT_EQ(placed.size(), expected.size());
    for (size_t i = 0; i < placed.size(); ++i)
        EXPECT_TRUE(CloseTo(placed[i], expected[i])) << i << ": " << placed[i].x() << "," << placed[i].y() << " "
                                                     << placed[i].width() << "x" << placed[i].height();
    // A4 at the printer's resolution: the certificate is centred on the page.
    const QRect border = form.DeviceRect(cert::Border);
    const int pageHeight = int(form.ScaleNumerator / 9);
    EXPECT_EQ(form.OffsetY, (pageHeight - border.height()) / 2);
    EXPECT_NEAR(2 * form.OffsetX + border.width(), pageHeight * 210.0 / 297.0, 8.0);
    TForm_Award* first = AwardForm();

    // Landscape, second print: the same form, another award picture.
    const std::string pdf2 = data.File("cert2.pdf");
    ASSERT_TRUE(PrintCertificate("Ann", "Gold", PdfSetup(pdf2, QPageLayout::Landscape, &calls)));
    EXPECT_EQ(AwardForm(), first);
    EXPECT_EQ(AwardForm()->JobName, "Tavolin Gold award");
    EXPECT_EQ(AwardForm()->ScaleDenominator, 28840); // landscape A4 too
    EXPECT_TRUE(Near(AwardForm()->Image_Award.pixel(5, 5), kGold));
    EXPECT_EQ(ReadFile(pdf2).substr(0, 5), "%PDF-");
    EXPECT_NE(ReadFile(pdf2).find(PdfTitle("Tavolin Gold award")), std::string::npos);
    const std::vector<QRect> landscape = PdfPictureRects(ReadFile(pdf2));
    ASSERT_EQ(landscape.size(), 5u);
    EXPECT_TRUE(CloseTo(landscape[0], AwardForm()->DeviceRect(cert::CertTop)));
    EXPECT_TRUE(CloseTo(landscape[4], AwardForm()->DeviceRect(cert::Award)));
    EXPECT_GT(AwardForm()->OffsetX, AwardForm()->OffsetY * 3); // wide side margins on a landscape page

    // The title is the target's at printing time (another target may be current by now).
    SolidPicture(program.File("French/cert/Title.jpg"), 70, 25, kGold);
    ASSERT_TRUE(PrintCertificate("Ann", "Gold", PdfSetup(data.File("cert3.pdf"), QPageLayout::Portrait, &calls)));
    EXPECT_TRUE(Near(AwardForm()->Image_Title.pixel(5, 5), kGold));
}

TEST_F(Award, CancelPrintsNothing) {
    StartWithCertificate();
    const std::string pdf = data.File("never.pdf");
    TPrintSetup setup;
    setup.Choose = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        return false;
    };
    EXPECT_FALSE(PrintCertificate("Ann", "Silver", setup));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(pdf)));
}

TEST_F(Award, MissingPictureRaisesAndPrintsNothing) {
    StartWithCertificate();
    int calls = 0;
    QFile::remove(QString::fromStdString(program.File("French/cert/Title.jpg")));
    EXPECT_THROW(PrintCertificate("Ann", "Silver", PdfSetup(data.File("x.pdf"), QPageLayout::Portrait, &calls)),
                 EProgramError);
    EXPECT_EQ(calls, 0);
    // No bronze picture on this disc: the award picture fails in the step before the dialog.
    SolidPicture(program.File("French/cert/Title.jpg"), 70, 25, kTitle);
    EXPECT_THROW(PrintCertificate("Ann", "Bronze", PdfSetup(data.File("y.pdf"), QPageLayout::Portrait, &calls)),
                 EProgramError);
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(data.File("y.pdf"))));
}

TEST(CertificatePrinter, PdfIsOfferedOnlyWhenNoPrinterIsInstalled) {
    QPrinter printer;
    printer.setDocName("Tavolin Gold award");
    printer.setOutputFormat(QPrinter::NativeFormat);
    OfferPdfWhenNoPrinter(printer, true, "/home/ann/Documents");
    EXPECT_TRUE(printer.outputFileName().isEmpty());
    OfferPdfWhenNoPrinter(printer, false, "/home/ann/Documents");
    EXPECT_EQ(printer.outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(printer.outputFileName(), QString("/home/ann/Documents/Tavolin Gold award.pdf"));
}

TEST_F(Award, PrinterThatCannotStartIsAnError) {
    StartWithCertificate();
    int calls = 0;
    EXPECT_THROW(PrintCertificate("Ann", "Silver",
                                  PdfSetup(data.File("no/such/folder/x.pdf"), QPageLayout::Portrait, &calls)),
                 EProgramError);
    EXPECT_EQ(calls, 1);
}
