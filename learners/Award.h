#pragma once
// The award certificate: a fixed portrait design (1862 x 2884 design units)
// composed from the disc's certificate pictures, the learner's name and
// today's date, scaled to nine tenths of the page dimension that limits it
// and centred. TForm_Award holds the pictures and positions; it is created
// on the first print and never shown.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QPainter;
class QPrinter;

namespace tav {

class TForm_Main;

// One element of the design, in design units relative to the border.
struct TDesignRect {
    int Left, Top, Width, Height;
};

namespace certificate {
constexpr int kWidth = 1862, kHeight = 2884;
constexpr TDesignRect Border{0, 0, 1862, 2884};
constexpr TDesignRect CertTop{4, 0, 1854, 216};
constexpr TDesignRect Ribbon{1143, 215, 715, 2664};
constexpr TDesignRect Title{5, 369, 1315, 484};
constexpr TDesignRect Award{5, 1046, 1281, 547};
constexpr TDesignRect Name{6, 1146, 1279, 113};
constexpr TDesignRect Date{6, 1531, 1279, 59};
constexpr TDesignRect Signature{123, 1919, 549, 845};
constexpr int kBorderPen = 4;
} // namespace certificate

// How the certificate reaches paper. Choose sets up the printer (the print
// dialog by default) and returns false when the learner cancels.
struct TPrintSetup {
    std::function<bool(QPrinter& printer)> Choose;
};
// The system's print dialog; with no printer installed it starts on
// print-to-file (PDF) so a certificate can still be made.
TPrintSetup DefaultPrintSetup();
// With no printer installed: PDF output into documentsFolder, named after the job.
void OfferPdfWhenNoPrinter(QPrinter& printer, bool printersInstalled, const QString& documentsFolder);

class TForm_Award {
public:
    // Loads the background colour and the fixed pictures; a missing file raises.
    explicit TForm_Award(TForm_Main& main);

    // The award picture, name and date of this print (step before the dialog).
    void Prepare(const std::string& name, const std::string& awardName);
    // Scale and offsets for a page of this size in device pixels.
    void ComputeScale(int pageWidth, int pageHeight);
    // v design units in device pixels: v x numerator / denominator, rounded.
    int Scaled(int v) const;
    // The device rectangle of a design element.
    QRect DeviceRect(const TDesignRect& r) const;
    // Draws the whole certificate with the current scale and offsets.
    void Draw(QPainter& painter) const;
    // Prepare, dialog, print. Returns false when nothing was printed (cancelled).
    bool Print(const std::string& name, const std::string& awardName, const TPrintSetup& setup);

    QColor BackgroundColour;
    QImage Image_CertTop, Image_Ribbon, Image_Title, Image_Award, Image_Signature;
    std::string NameText, DateText;
    QFont NameFont, DateFont; // family and style; the height is set when drawing
    std::string JobName;      // of the last print
    int64_t ScaleNumerator = 1, ScaleDenominator = 1;
    int OffsetX = 0, OffsetY = 0;

private:
    void DrawLabel(QPainter& painter, const TDesignRect& r, QFont font, const QString& text) const;
    TForm_Main& main_;
};

// Prints the certificate for name with its award ("Bronze", "Silver",
// "Gold"), creating the form on the first call and reusing it afterwards.
// Errors (missing pictures, printer failures) raise.
bool PrintCertificate(const std::string& name, const std::string& awardName);
// The same with another print setup (tests print to a PDF file).
bool PrintCertificate(const std::string& name, const std::string& awardName, const TPrintSetup& setup);
// The form of the prints so far (nullptr before the first).
TForm_Award* AwardForm();
void ResetAwardForm();

} // namespace tav
