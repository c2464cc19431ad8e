#include "ProgramMedia.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "CodeIdentity.h"
#include "MacText.h"
#include "Sound.h"
#include "Style.h"
#include "Timeline.h"

namespace demodisc {

using namespace palette;

const std::vector<TOpponentAction>& OpponentActions() {
    static const std::vector<TOpponentAction> actions = [] {
        std::vector<TOpponentAction> a{{"idle", 50}, {"wave", 40}, {"lookup1", 30}, {"lookup2", 30}};
        for (int i = 1; i <= 3; ++i) a.push_back({"think" + std::to_string(i), 40 + 10 * i});
        // The reactions outlast the applause (2.5 s) played with them, so the
        // score announcement that follows a reaction never talks over it.
        for (int i = 1; i <= 6; ++i) a.push_back({"yes" + std::to_string(i), 65 + 5 * (i % 3)});
        for (int i = 1; i <= 8; ++i) a.push_back({"no" + std::to_string(i), 65 + 5 * (i % 3)});
        for (const char* letter : {"A", "B", "C"}) a.push_back({std::string("AnswerShort") + letter, 25});
        for (const char* letter : {"A", "B", "C"}) a.push_back({std::string("AnswerLong") + letter, 50});
        return a;
    }();
    return actions;
}

namespace {

void Sounds(const std::string& common) {
    const double C5 = 523.25, E5 = 659.25, G5 = 783.99, C6 = 1046.5, A4 = 440.0, F4 = 349.23, D4 = 293.66;
    WriteAiff(common + "/right1.aif", Melody({{C5, 90}, {E5, 90}, {G5, 260}}, 0.5f, true));
    WriteAiff(common + "/right2.aif", Melody({{G5, 90}, {C6, 300}}, 0.5f, true));
    WriteAiff(common + "/right3.aif", Melody({{E5, 80}, {G5, 80}, {C6, 320}}, 0.45f, true));
    WriteAiff(common + "/wrong1.aif", Melody({{A4 / 2, 160}, {F4 / 2, 300}}, 0.5f));
    WriteAiff(common + "/wrong2.aif", Melody({{D4, 140}, {D4 * 0.94, 300}}, 0.5f));
    WriteAiff(common + "/wrong3.aif", Melody({{F4, 120}, {D4, 320}}, 0.45f));
    WriteAiff(common + "/boo.aif", Buzz(700, 180, 0.35f));
    WriteAiff(common + "/applause.aif", Applause(2500, 5, 0.6f));
    WriteAiff(common + "/applause2.aif", Applause(1400, 9, 0.5f));
}

void Spinner(const std::string& path) {
    const int frames = 18;
    QImage strip(188, 185 * frames, QImage::Format_RGB32);
    strip.fill(Night);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    for (int f = 0; f < frames; ++f) {
        p.save();
        p.translate(94, 185 * f + 92.5);
        QRadialGradient g(QPointF(0, 0), 90);
        g.setColorAt(0, Night.lighter(170));
        g.setColorAt(1, Night);
        p.fillRect(QRectF(-94, -92.5, 188, 185), g);
        p.rotate(360.0 / frames * f);
        p.setPen(QPen(Gold.darker(120), 4));
        p.setBrush(Gold);
        p.drawEllipse(QPointF(0, 0), 72, 72);
        p.setBrush(Night);
        p.setPen(Qt::NoPen);
        for (int k = 0; k < 5; ++k) { // film reel holes
            const double a = k * 2 * M_PI / 5;
            p.drawEllipse(QPointF(std::cos(a) * 42, std::sin(a) * 42), 17, 17);
        }
        p.setBrush(Cream);
        p.drawEllipse(QPointF(0, 0), 9, 9);
        p.restore();
    }
    p.end();
    SaveBmp(strip, path);
}

void Awards(const std::string& dir) {
    struct TAward { const char* Name; QColor Color; };
    for (const TAward& a : {TAward{"Bronze", QColor(190, 120, 60)}, TAward{"Silver", QColor(200, 205, 215)},
                            TAward{"Gold", QColor(235, 190, 60)}}) {
        QImage medal(20, 48, QImage::Format_RGB32);
        medal.fill(Charcoal);
        QPainter p(&medal);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(Wine);
        p.drawPolygon(QPolygonF({QPointF(3, 0), QPointF(17, 0), QPointF(13, 26), QPointF(7, 26)}));
        p.setBrush(a.Color);
        p.setPen(QPen(a.Color.darker(150), 1.5));
        p.drawEllipse(QPointF(10, 36), 9, 9);
        p.end();
        SaveBmp(medal, dir + "/" + a.Name + ".bmp");

        // 20 frames of a sparkling star on a key colour (the bottom-left pixel).
        QImage strip(36, 35 * 20, QImage::Format_RGB32);
        strip.fill(QColor(255, 0, 255));
        QPainter s(&strip);
        s.setRenderHint(QPainter::Antialiasing);
        for (int f = 0; f < 20; ++f) {
            const double phase = f / 20.0 * 2 * M_PI;
            const double r = 11 + 4 * std::sin(phase);
            QPainterPath star;
            for (int k = 0; k < 10; ++k) {
                const double ang = -M_PI / 2 + k * M_PI / 5 + phase / 4;
                const double rr = (k % 2) ? r * 0.45 : r;
                const QPointF pt(18 + rr * std::cos(ang), 35 * f + 17.5 + rr * std::sin(ang));
                k ? star.lineTo(pt) : star.moveTo(pt);
            }
            star.closeSubpath();
            s.setPen(QPen(a.Color.darker(140), 1));
            s.setBrush(a.Color.lighter(110));
            s.drawPath(star);
            if (f % 5 < 3) {
                s.setPen(QPen(Qt::white, 1.5));
                const QPointF c(28, 35 * f + 7);
                s.drawLine(c - QPointF(3, 0), c + QPointF(3, 0));
                s.drawLine(c - QPointF(0, 3), c + QPointF(0, 3));
            }
        }
        s.end();
        SaveBmp(strip, dir + "/" + a.Name + "Anim.bmp");
    }
}

void SpellTrays(const std::string& dir, const QColor& tone) {
    // From two letters: languages written without spaces have short words.
    for (int n = 2; n <= 9; ++n) {
        const int w = 102 + 52 * n;
        QImage img(w, 83, QImage::Format_RGB32);
        img.fill(Night);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        PaintPlate(p, QRectF(0, 0, w, 83), tone, Gold, 16);
        p.end();
        SaveJpeg(img, dir + "/Holder" + std::to_string(n) + ".jpg");
    }
    QImage blank(52, 51, QImage::Format_RGB32);
    blank.fill(tone.darker(140));
    QPainter p(&blank);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Cream, 2, Qt::DashLine));
    p.setBrush(tone.darker(170));
    p.drawRoundedRect(QRectF(3, 3, 46, 45), 7, 7);
    p.end();
    SaveJpeg(blank, dir + "/Blank.jpg");
}

// ---- the quiz opponent -----------------------------------------------------

QImage OpponentFrame(const std::string& action, double t, double length) {
    QImage img(192, 224, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 0, 224);
    bg.setColorAt(0, QColor(60, 30, 80));
    bg.setColorAt(1, QColor(20, 14, 40));
    p.fillRect(img.rect(), bg);
    PaintSpotlight(p, QPointF(96, -20), QRectF(30, 0, 132, 224), Cream);

    double headTilt = 0, headUp = 0, nod = 0, shake = 0, armL = 0, armR = 0, smile = 0.3;
    std::string sign;
    const double k = t / length;
    if (action == "idle") {
        nod = std::sin(t * 2) * 1.5;
    } else if (action == "wave") {
        armR = 1;
        smile = 1;
    } else if (action.rfind("lookup", 0) == 0) {
        headUp = std::min(1.0, k * 3) * 8;
    } else if (action.rfind("think", 0) == 0) {
        armL = 0.7;
        headTilt = 8;
        smile = 0;
    } else if (action.rfind("yes", 0) == 0) {
        nod = std::sin(t * 12) * 5;
        smile = 1;
        armR = action.back() % 2 ? 0.6 : 0;
    } else if (action.rfind("no", 0) == 0) {
        shake = std::sin(t * 12) * 7;
        smile = -0.8;
    } else if (action.rfind("Answer", 0) == 0) {
        sign = action.substr(action.size() - 1);
        const bool longer = action.find("Long") != std::string::npos;
        if (longer && k < 0.5) { armL = 0.7; headTilt = 8; sign.clear(); }
        else armR = 0.8;
        smile = 0.6;
    }

    p.translate(96, 0);
    // Body.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 60, 90));
    p.drawRoundedRect(QRectF(-40, 120, 80, 110), 20, 20);
    p.setBrush(Gold);
    p.drawRect(QRectF(-4, 120, 8, 100));
    // Arms.
    const double wave = action == "wave" ? std::sin(t * 10) * 20 : 0;
    p.setPen(QPen(QColor(200, 60, 90), 14, Qt::SolidLine, Qt::RoundCap));
    const QPointF handR(armR > 0 ? 58 + wave * 0.3 : 46, armR > 0 ? 90 - 40 * armR + wave : 200);
    const QPointF handL(armL > 0 ? -8 : -46, armL > 0 ? 102 : 200);
    p.drawLine(QPointF(34, 134), handR);
    p.drawLine(QPointF(-34, 134), handL);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 200, 165));
    p.drawEllipse(handR, 9, 9);
    p.drawEllipse(handL, 9, 9);
    // Head.
    p.save();
    p.translate(shake, 72 - headUp + nod);
    p.rotate(headTilt);
    p.setBrush(QColor(240, 200, 165));
    p.drawEllipse(QPointF(0, 0), 34, 38);
    p.setBrush(QColor(40, 30, 60));
    p.drawChord(QRectF(-36, -42, 72, 52), 0, 180 * 16);
    const double eyeY = -4 - (headUp > 0 ? 4 : 0);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(-12, eyeY), 7, 8);
    p.drawEllipse(QPointF(12, eyeY), 7, 8);
    p.setBrush(QColor(30, 30, 60));
    const double look = action.rfind("think", 0) == 0 ? -3 : 0;
    p.drawEllipse(QPointF(-12 + look, eyeY - (headUp > 0 ? 3 : 0)), 3.5, 3.5);
    p.drawEllipse(QPointF(12 + look, eyeY - (headUp > 0 ? 3 : 0)), 3.5, 3.5);
    p.setPen(QPen(QColor(150, 40, 50), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    if (smile >= 0) p.drawArc(QRectF(-12, 6, 24, 12 + 8 * smile), 200 * 16, 140 * 16);
    else p.drawArc(QRectF(-12, 16, 24, 12), 20 * 16, 140 * 16);
    p.restore();
    // Thought bubbles and the answer card.
    p.setPen(Qt::NoPen);
    if (action.rfind("think", 0) == 0 || (action.find("Long") != std::string::npos && sign.empty())) {
        p.setBrush(QColor(255, 255, 255, 200));
        const int dots = int(std::fmod(t * 3, 3.0)) + 1;
        for (int d = 0; d < dots; ++d) p.drawEllipse(QPointF(44 + d * 12, 40 - d * 12), 4 + d * 2, 4 + d * 2);
    }
    if (!sign.empty()) {
        PaintPlate(p, QRectF(40, 20, 44, 44), Gold, Cream, 8);
        p.setFont(Font(28, true));
        p.setPen(Night);
        p.drawText(QRectF(40, 20, 44, 44), Qt::AlignCenter, QString::fromStdString(sign));
    }
    p.end();
    return img;
}

void OpponentClip(const std::string& quizDir, const std::string& cacheDir) {
    std::vector<std::string> script;
    int at = 0;
    for (const TOpponentAction& a : OpponentActions()) {
        script.push_back(a.Name + "|" + UnitsToTimecode(at) + "|" + UnitsToTimecode(at + a.Units));
        at += a.Units;
    }
    WriteRawLines(quizDir + "/oppmoov.txt", script);

    QCryptographicHash h(QCryptographicHash::Sha1);
    h.addData(CodeIdentity());
    for (const std::string& s : script) h.addData(QByteArray::fromStdString(s));
    const std::string cached = cacheDir + "/opponent-" + h.result().toHex().toStdString() + ".mpg";
    if (!QFile::exists(QString::fromStdString(cached))) {
        QDir().mkpath(QString::fromStdString(cacheDir));
        const std::string wav = cacheDir + "/opponent.wav";
        TSound silence = RoomTone(at * kUnitMs, 3, 0.002f);
        WriteWav(wav, silence);
        const std::string cmd = "nice -n 10 ffmpeg -nostdin -y -loglevel error -f rawvideo -pix_fmt rgb24 -s 192x224 "
                                "-r 25 -i - -i '" + wav + "' -threads 2 -c:v mpeg1video -q:v 4 -g 12 "
                                "-c:a mp2 -b:a 64k -ar 44100 -ac 1 -f mpeg '" + cached + ".part'";
        FILE* pipe = popen(cmd.c_str(), "w");
        if (!pipe) throw std::runtime_error("cannot start ffmpeg");
        for (const TOpponentAction& a : OpponentActions())
            for (int f = 0; f < a.Units; ++f) {
                const QImage img = OpponentFrame(a.Name, f * 0.04, a.Units * 0.04).convertToFormat(QImage::Format_RGB888);
                for (int y = 0; y < 224; ++y) fwrite(img.constScanLine(y), 1, 192 * 3, pipe);
            }
        if (pclose(pipe) != 0) throw std::runtime_error("ffmpeg failed on the opponent clip");
        QFile::remove(QString::fromStdString(wav));
        QFile::rename(QString::fromStdString(cached + ".part"), QString::fromStdString(cached));
    }
    QFile::remove(QString::fromStdString(quizDir + "/oppmoov.mpg"));
    if (!QFile::copy(QString::fromStdString(cached), QString::fromStdString(quizDir + "/oppmoov.mpg")))
        throw std::runtime_error("cannot copy the opponent clip");
}

QImage Stage(const QString& text, const QColor& tone) {
    QImage img(292, 188, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(146, 94), 180);
    g.setColorAt(0, tone.lighter(140));
    g.setColorAt(1, tone.darker(200));
    p.fillRect(img.rect(), g);
    for (int k = 0; k < 12; ++k) { // light rays
        p.setPen(QPen(QColor(255, 240, 200, 40), 6));
        const double a = k * M_PI / 6;
        p.drawLine(QPointF(146, 94), QPointF(146 + 200 * std::cos(a), 94 + 200 * std::sin(a)));
    }
    p.setFont(Font(34, true, false, "DejaVu Serif"));
    PaintShadowText(p, QRectF(0, 0, 292, 188), Qt::AlignCenter | Qt::TextWordWrap, text, Cream);
    p.end();
    return img;
}

void QuizPictures(const std::string& quizDir) {
    SaveBmp(Stage(U("Quiz !"), Wine), quizDir + "/animstrt.bmp");
    SaveBmp(Stage(U("Regardez bien..."), Night.lighter(160)), quizDir + "/cover.bmp");
    SaveBmp(Stage(U("Bravo !"), Teal), quizDir + "/winner.bmp");
    for (int r = 1; r <= 4; ++r) {
        QImage strip(128, 187 * 9, QImage::Format_RGB32);
        strip.fill(Qt::black);
        QPainter p(&strip);
        p.setRenderHint(QPainter::Antialiasing);
        for (int f = 0; f < 9; ++f) {
            const double k = (f + 1) / 9.0;
            p.save();
            p.translate(64, 187 * f + 93.5);
            p.scale(k, k);
            PaintPlate(p, QRectF(-58, -80, 116, 160), Wine, Gold, 14);
            p.setFont(Font(20, true));
            PaintShadowText(p, QRectF(-58, -70, 116, 40), Qt::AlignCenter, U("Manche"), Cream);
            p.setFont(Font(72, true, false, "DejaVu Serif"));
            PaintShadowText(p, QRectF(-58, -30, 116, 100), Qt::AlignCenter, QString::number(r), Gold);
            p.restore();
        }
        p.end();
        SaveBmp(strip, quizDir + "/R" + std::to_string(r) + "_anim.bmp");
    }
    // Opening music: a short bright fanfare with a bass line, a little over two
    // seconds. The quiz waits for it before the welcome, so it must not be long.
    const double C = 523.25, E = 659.25, G = 783.99, A = 880.0;
    TSound tune = Melody({{G, 200}, {E, 200}, {G, 200}, {C * 2, 400}, {A, 200}, {G, 200}, {C * 2, 800}},
                         0.4f, true);
    const double bass[] = {130.81, 196.0, 130.81};
    for (int b = 0; b < 5; ++b) tune.MixIn(Note(bass[std::min(b / 2, 2)], 450, 0.25f, 3.0), b * 460);
    tune.Normalize(0.6f);
    WriteAiff(quizDir + "/musak.aif", tune);
}

} // namespace

void WriteProgramMedia(const std::string& pcDir, const std::string& cacheDir) {
    Sounds(pcDir + "/common");
    Spinner(pcDir + "/common/spinner.bmp");
    Awards(pcDir + "/actmenu");
    SpellTrays(pcDir + "/Spell_Prac", Teal);
    SpellTrays(pcDir + "/Spell_Test", Wine);
    QuizPictures(pcDir + "/quiz");
    OpponentClip(pcDir + "/quiz", cacheDir);
    WriteMacLines(pcDir + "/pcreadme.txt", {
        "Tavolin",
        "",
        "Tavolin vous aide à apprendre une langue avec un film.",
        "Regardez le film avec ses sous-titres, faites les activités,",
        "jouez au quiz, enregistrez votre voix dans le studio et",
        "cherchez les mots dans le dictionnaire.",
        "",
        "Tavolin helps you learn a language from a film.",
        "Watch it with captions, do the activities, play the quiz,",
        "record your own voice in the studio and look words up.",
        "",
        "Commencer : cliquez sur le grand bouton au centre.",
        "Aide : touchez la bouée en bas à droite de chaque écran.",
    });
}

} // namespace demodisc
