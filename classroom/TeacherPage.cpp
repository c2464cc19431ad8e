#include "classroom/TeacherPage.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostInfo>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkInterface>
#include <QPointer>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextStream>
#include <QTimer>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <vector>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include "classroom/ClassroomService.h"
#include "classroom/ClassroomStore.h"

namespace classroom {

namespace {

using Status = QHttpServerResponse::StatusCode;

// Sessions opened with the secret that are remembered (the oldest goes first).
constexpr size_t kMaxSessions = 64;
// The longest wait after wrong keys or passwords, and the most places
// (addresses) whose failures are counted one by one.
constexpr qint64 kMaxWaitMs = 30000;
constexpr qsizetype kMaxFailures = 4096;
// Longest texts taken for an assignment.
constexpr qsizetype kMaxName = 100;
constexpr qsizetype kMaxPath = 4096;

QHttpServerResponse Json(const QJsonObject& object, Status status = Status::Ok) {
    return QHttpServerResponse(QByteArrayLiteral("application/json"), QJsonDocument(object).toJson(QJsonDocument::Compact),
                               status);
}

QHttpServerResponse Problem(const QString& text, Status status) { return Json({{"error", text}}, status); }

// Every value of one header, its name compared without regard to case.
QList<QByteArray> Headers(const QHttpServerRequest& request, const QByteArray& name) {
    QList<QByteArray> values;
    for (const auto& [key, value] : request.headers())
        if (key.compare(name, Qt::CaseInsensitive) == 0) values.append(value.trimmed());
    return values;
}

QByteArray Header(const QHttpServerRequest& request, const QByteArray& name) {
    const QList<QByteArray> values = Headers(request, name);
    return values.isEmpty() ? QByteArray() : values.first();
}

// "application/json", in any case, with at most a UTF-8 charset.
bool IsJsonMediaType(const QByteArray& header) {
    const QList<QByteArray> parts = header.split(';');
    if (parts.first().trimmed().toLower() != "application/json") return false;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QByteArray parameter = parts[i].trimmed();
        if (parameter.isEmpty()) continue;
        const qsizetype equals = parameter.indexOf('=');
        if (equals < 0) return false;
        if (parameter.left(equals).trimmed().toLower() != "charset") continue;
        QByteArray value = parameter.mid(equals + 1).trimmed().toLower();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"')) value = value.mid(1, value.size() - 2);
        if (value != "utf-8") return false;
    }
    return true;
}

// The body of a POST as a JSON object (the media type was checked before).
bool ReadBody(const QHttpServerRequest& request, QJsonObject& body) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(request.body(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) return false;
    body = doc.object();
    return true;
}

// Equal without the time taken telling how much of it matched: both sides
// are hashed first, and every byte of the hashes is compared.
bool SameSecret(const QByteArray& given, const QByteArray& kept) {
    const QByteArray a = QCryptographicHash::hash(given, QCryptographicHash::Sha256);
    const QByteArray b = QCryptographicHash::hash(kept, QCryptographicHash::Sha256);
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i) difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0 && !kept.isEmpty();
}

QByteArray RandomHex(int bytes) {
    QByteArray raw(bytes, Qt::Uninitialized);
    QRandomGenerator::system()->generate(raw.begin(), raw.end());
    return raw.toHex();
}

bool IsHexSecret(const QByteArray& text) {
    if (text.size() != 64) return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

// A name or path as the page takes it: no control characters, at most
// `longest` characters (code points of any script, not UTF-16 units).
bool PlainText(const QString& text, qsizetype longest) {
    if (text.size() > longest && text.toUcs4().size() > longest) return false;
    for (QChar c : text)
        if (c.category() == QChar::Other_Control) return false;
    return true;
}

// A target is one folder name below the content root.
bool FolderName(const QString& text) {
    return PlainText(text, 255) && text != QLatin1String(".") && text != QLatin1String("..") &&
           !text.contains(QLatin1Char('/')) && !text.contains(QLatin1Char('\\'));
}

QJsonObject SessionJson(const TSessionView& s) {
    return {{"session", double(s.Session)},    {"pid", double(s.Pid)},       {"computer", s.Computer},
            {"learner", s.Learner},            {"target", s.Target},         {"started", s.Started},
            {"ended", s.Ended},                {"activity", s.CurrentActivity}, {"lastScore", s.LastScore},
            {"total", s.Total},                {"award", s.AwardLevel},      {"open", s.Ended.isEmpty()}};
}

// Runs a handler; a failure of the records becomes an answer, not a crash.
// What went wrong goes to the manager's output, not to the browser.
template <class F>
QHttpServerResponse Guarded(F&& fn) {
    try {
        return fn();
    } catch (const std::invalid_argument& e) {
        // What the records cannot take, said about the request's own text.
        return Problem(QString::fromUtf8(e.what()), Status::BadRequest);
    } catch (const std::exception& e) {
        QTextStream(stderr) << "tavolin-classroom: teacher's page: " << QString::fromLocal8Bit(e.what()) << Qt::endl;
        return Problem(QStringLiteral("the records could not be read or written (the manager's output says why)"),
                       Status::InternalServerError);
    }
}

// Watches the bytes of one connection before the HTTP server reads them, and
// refuses a request whose head or declared body is over its limit before the
// server has buffered any of it (the server keeps a whole request in memory).
// Its first slot is connected before the server's, so it sees every chunk
// first; its second after the server's, so it knows what the server left
// unread (already seen) when the next chunk comes.
class TRequestGuard : public QObject {
public:
    explicit TRequestGuard(QTcpSocket* socket) : QObject(socket), socket_(socket) {
        connect(socket, &QIODevice::readyRead, this, &TRequestGuard::Look);
        // A connection that sends nothing for a while is closed, so idle or
        // stalled ones cannot hold the page's few places (the page asks every
        // two seconds; a browser opens a new connection when it needs one).
        idle_.setSingleShot(true);
        idle_.setInterval(TTeacherPage::kIdleMs);
        connect(&idle_, &QTimer::timeout, this, [this] { socket_->abort(); });
        idle_.start();
    }

    // Called once the HTTP server has connected its own slot.
    void WatchAfterServer() {
        if (!refused_) connect(socket_, &QIODevice::readyRead, this, &TRequestGuard::Settled);
    }

private:
    void Look() {
        if (!refused_) idle_.start();
        const qint64 available = socket_->bytesAvailable();
        // The server reads only while the signal is delivered, so what it
        // left unread last time (seen already) is still at the front.
        if (available > unread_) Feed(socket_->peek(available).mid(unread_));
        if (refused_) return;
        unread_ = available;
    }

    void Settled() {
        if (!refused_) unread_ = socket_->bytesAvailable();
    }

    void Feed(const QByteArray& data) {
        qsizetype i = 0;
        while (i < data.size() && !refused_) {
            if (body_ > 0) {
                const qint64 take = std::min<qint64>(body_, data.size() - i);
                body_ -= take;
                i += take;
                continue;
            }
            head_.append(data[i++]);
            if (head_.size() > TTeacherPage::kHeadLimit) {
                Refuse(431, "Request Header Fields Too Large", QStringLiteral("the request's headers are too long"));
                return;
            }
            if (head_.endsWith("\r\n\r\n") || head_.endsWith("\n\n")) {
                ReadHead();
                head_.clear();
            }
        }
    }

    // The body length of the request whose head is complete.
    void ReadHead() {
        QByteArray length;
        const QList<QByteArray> lines = head_.split('\n');
        for (qsizetype n = 1; n < lines.size(); ++n) {
            const QByteArray line = lines[n].trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0) continue;
            const QByteArray name = line.left(colon).trimmed().toLower();
            const QByteArray value = line.mid(colon + 1).trimmed();
            if (name == "transfer-encoding") {
                Refuse(411, "Length Required", QStringLiteral("send the body with a Content-Length"));
                return;
            }
            if (name == "content-length") {
                if (!length.isNull() && length != value) {
                    Refuse(400, "Bad Request", QStringLiteral("the request has two different lengths"));
                    return;
                }
                length = value;
            }
        }
        if (length.isNull()) return;
        bool ok = !length.isEmpty() && length.size() <= 18;
        for (char c : length) ok = ok && c >= '0' && c <= '9';
        const qint64 size = ok ? length.toLongLong(&ok) : 0;
        if (!ok) {
            Refuse(400, "Bad Request", QStringLiteral("the request's Content-Length is not a number"));
            return;
        }
        if (size > TTeacherPage::kBodyLimit) {
            Refuse(413, "Payload Too Large",
                   QStringLiteral("the request is over %1 KiB").arg(TTeacherPage::kBodyLimit / 1024));
            return;
        }
        body_ = size;
    }

    // Answers and takes the connection from the HTTP server: it is not given
    // this request or anything after it.
    void Refuse(int status, const char* reason, const QString& text) {
        refused_ = true;
        QObject::disconnect(socket_, &QIODevice::readyRead, nullptr, nullptr);
        if (socket_->isTransactionStarted()) socket_->commitTransaction();
        const QByteArray body = QJsonDocument(QJsonObject{{"error", text}}).toJson(QJsonDocument::Compact);
        socket_->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
                       "\r\nContent-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size()) +
                       "\r\nConnection: close\r\nCache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n\r\n" +
                       body);
        socket_->flush();
        ::shutdown(int(socket_->socketDescriptor()), SHUT_WR);
        // Nothing more is taken in: what the client still sends fills the
        // connection's buffers until its sending stalls, while it can read
        // the answer and the end. Dropped at once, a connection with unread
        // data is reset, and the reset can overtake the answer.
        socket_->setReadBufferSize(4096);
        socket_->readAll();
        QTimer::singleShot(2000, this, [this] { socket_->abort(); });
    }

    QTcpSocket* socket_;
    QTimer idle_;
    QByteArray head_;
    qint64 body_ = 0;
    qint64 unread_ = 0;
    bool refused_ = false;
};

// Gives the HTTP server connections with their guard already watching; at
// most kMaxConnections at a time (one more is closed at once).
class TGuardedTcpServer : public QTcpServer {
public:
    using QTcpServer::QTcpServer;

protected:
    void incomingConnection(qintptr descriptor) override {
        if (open_ >= TTeacherPage::kMaxConnections) {
            ::close(int(descriptor));
            return;
        }
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            ::close(int(descriptor));
            return;
        }
        ++open_;
        connect(socket, &QObject::destroyed, this, [this] { --open_; });
        fresh_.push_back(new TRequestGuard(socket));
        addPendingConnection(socket);
    }

public:
    // Connected to newConnection after the HTTP server is bound, so it runs
    // after the server has taken the new sockets and connected to them.
    void ServerHasTaken() {
        for (const QPointer<TRequestGuard>& guard : fresh_)
            if (guard) guard->WatchAfterServer();
        fresh_.clear();
    }

private:
    int open_ = 0;
    std::vector<QPointer<TRequestGuard>> fresh_;
};

QString HostText(const QHostAddress& address) {
    QHostAddress plain = address;
    plain.setScopeId(QString());
    if (plain.protocol() == QAbstractSocket::IPv6Protocol) {
        bool v4 = false;
        const QHostAddress mapped(plain.toIPv4Address(&v4));
        if (v4) return mapped.toString();
        return "[" + plain.toString().toLower() + "]";
    }
    return plain.toString();
}

} // namespace

bool ParseListenAddress(const QString& text, QHostAddress& address, quint16& port) {
    QString host = text;
    port = 8470;
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    // "[::1]:8470", "127.0.0.1:8470", ":8470"; a bare IPv6 address has several colons.
    if (colon >= 0 && (text.count(QLatin1Char(':')) == 1 || text.startsWith(QLatin1Char('[')))) {
        bool ok = false;
        const uint p = text.mid(colon + 1).toUInt(&ok);
        if (!ok || p > 65535) return false;
        port = quint16(p);
        host = text.left(colon);
    }
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'))) host = host.mid(1, host.size() - 2);
    if (host.isEmpty()) host = QStringLiteral("127.0.0.1");
    if (host == QLatin1String("localhost")) host = QStringLiteral("127.0.0.1");
    return address.setAddress(host);
}

QString DefaultSecretFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Zandrel/Tavolin/teacher-page.key");
}

QString LoadOrMakeSecret(const QString& file, QString& error) {
    const QByteArray path = QFile::encodeName(file);
    const auto failed = [&](const char* what) {
        error = QStringLiteral("couldn't %1 the page's key %2: %3")
                    .arg(QLatin1String(what), file, QString::fromLocal8Bit(std::strerror(errno)));
        return QString();
    };
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(folder)) {
        errno = EACCES;
        return failed("make the folder for");
    }
    const int in = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in >= 0) {
        struct stat st {};
        char text[128] = {};
        const bool statted = ::fstat(in, &st) == 0;
        const ssize_t got = statted && S_ISREG(st.st_mode) ? ::read(in, text, sizeof text - 1) : -1;
        ::close(in);
        // A key others could read may have been read: it is replaced.
        const bool privateFile = statted && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
        const QByteArray kept = QByteArray(text, got > 0 ? int(got) : 0).trimmed();
        if (privateFile && IsHexSecret(kept)) return QString::fromLatin1(kept);
        if (statted && !S_ISREG(st.st_mode)) {
            errno = EINVAL;
            return failed("read");
        }
    } else if (errno != ENOENT) {
        return failed("read");
    }
    const QByteArray secret = RandomHex(32);
    const QByteArray temporary = path + ".new";
    ::unlink(temporary.constData());
    const int out = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (out < 0) return failed("write");
    const QByteArray line = secret + '\n';
    const bool written = ::fchmod(out, 0600) == 0 && ::write(out, line.constData(), size_t(line.size())) == line.size() &&
                         ::fsync(out) == 0;
    const int saved = errno;
    ::close(out);
    if (!written || ::rename(temporary.constData(), path.constData()) != 0) {
        if (written) errno = saved;
        ::unlink(temporary.constData());
        return failed("write");
    }
    return QString::fromLatin1(secret);
}

QString ReadPagePasswordFile(const QString& file, QString& error) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("couldn't read the password file %1: %2").arg(file, in.errorString());
        return QString();
    }
    // A password others can read is no secret: refused until the file is the teacher's alone.
    if (in.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup |
                            QFileDevice::WriteOther)) {
        error = QStringLiteral("the password file %1 can be read by other users; make it yours alone (chmod 600 %1)")
                    .arg(file);
        return QString();
    }
    QByteArray line = in.read(4096);
    const qsizetype end = line.indexOf('\n');
    if (end >= 0) line.truncate(end);
    if (line.endsWith('\r')) line.chop(1);
    if (line.isEmpty()) {
        error = QStringLiteral("the password file %1 has no password on its first line").arg(file);
        return QString();
    }
    return QString::fromUtf8(line);
}

QByteArray ScriptSafeJson(const QByteArray& json) {
    QByteArray out;
    out.reserve(json.size() + 32);
    for (qsizetype i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (c == '<') out += "\\u003c";
        else if (c == '>') out += "\\u003e";
        else if (c == '&') out += "\\u0026";
        else if (c == '\xE2' && i + 2 < json.size() && json[i + 1] == '\x80' &&
                 (json[i + 2] == '\xA8' || json[i + 2] == '\xA9')) {
            out += json[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
            i += 2;
        } else out += c;
    }
    return out;
}

TTeacherPage::TTeacherPage(TClassroomStore& store, TClassroomService& service, QString secret, QString password)
    : store_(store), service_(service), secret_(secret.toUtf8()), password_(password.toUtf8()) {
    clock_.start();
    using Method = QHttpServerRequest::Method;
    server_.route("/", Method::Get, [this](const QHttpServerRequest& r) {
        if (auto refused = Refusal(r, false)) return std::move(*refused);
        return Guarded([&] { return Open(r); });
    });
    server_.route("/state", Method::Get, [this](const QHttpServerRequest& r) {
        if (auto refused = Refusal(r, false)) return std::move(*refused);
        const TAccess access = Access(r);
        if (access != TAccess::Granted) return Denied(access, r);
        return Guarded([&] { return Json(State()); });
    });
    server_.route("/assign", Method::Post, [this](const QHttpServerRequest& r) {
        if (auto refused = Refusal(r, true)) return std::move(*refused);
        const TAccess access = Access(r);
        if (access != TAccess::Granted) return Denied(access, r);
        return Guarded([&] { return Assign(r); });
    });
    server_.route("/shut-down", Method::Post, [this](const QHttpServerRequest& r) {
        if (auto refused = Refusal(r, true)) return std::move(*refused);
        const TAccess access = Access(r);
        if (access != TAccess::Granted) return Denied(access, r);
        return Guarded([&] { return ShutDown(r); });
    });
    server_.afterRequest([](QHttpServerResponse&& response) {
        // Never inside another site's frame, never guessed as another type, never kept.
        if (response.headers("Content-Security-Policy").isEmpty())
            response.setHeader("Content-Security-Policy",
                               "default-src 'none'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'");
        response.setHeader("X-Frame-Options", "DENY");
        response.setHeader("X-Content-Type-Options", "nosniff");
        response.setHeader("Referrer-Policy", "no-referrer");
        response.setHeader("Cache-Control", "no-store");
        return std::move(response);
    });
}

QString TTeacherPage::Listen(const QHostAddress& address, quint16 port, QString& error) {
    auto* tcp = new TGuardedTcpServer(&server_);
    if (!tcp->listen(address, port)) {
        delete tcp;
        error = QStringLiteral("couldn't listen on %1:%2 (in use, or not an address of this computer)")
                    .arg(address.toString())
                    .arg(port);
        return QString();
    }
    server_.bind(tcp);
    QObject::connect(tcp, &QTcpServer::newConnection, tcp, &TGuardedTcpServer::ServerHasTaken);
    port_ = tcp->serverPort();

    // The names a browser may use for this page.
    hosts_.clear();
    hosts_ << HostText(address);
    const bool any = address == QHostAddress::Any || address == QHostAddress::AnyIPv4 || address == QHostAddress::AnyIPv6;
    if (address.isLoopback() || any) hosts_ << QStringLiteral("localhost") << QStringLiteral("127.0.0.1") << QStringLiteral("[::1]");
    if (any)
        for (const QHostAddress& a : QNetworkInterface::allAddresses()) hosts_ << HostText(a);
    if (!address.isLoopback()) {
        const QString name = QHostInfo::localHostName().toLower();
        if (!name.isEmpty()) {
            hosts_ << name << name + QStringLiteral(".local");
            const QString domain = QHostInfo::localDomainName().toLower();
            if (!domain.isEmpty()) hosts_ << name + "." + domain;
        }
    }
    hosts_.removeDuplicates();
    address_ = QStringLiteral("http://%1:%2/").arg(HostText(address)).arg(port_);
    return address_;
}

QString TTeacherPage::OpeningAddress() const {
    return address_.isEmpty() ? QString() : address_ + QStringLiteral("?token=") + QString::fromLatin1(secret_);
}

QByteArray TTeacherPage::CookieName() const { return "tavolin-page-" + QByteArray::number(port_); }

bool TTeacherPage::HostAllowed(const QByteArray& header) const {
    QByteArray host = header.trimmed().toLower();
    quint16 port = 80;
    qsizetype colon = -1;
    if (host.startsWith('[')) {
        const qsizetype close = host.indexOf(']');
        if (close < 0) return false;
        if (close + 1 < host.size()) {
            if (host[close + 1] != ':') return false;
            colon = close + 1;
        }
    } else {
        colon = host.indexOf(':');
        if (colon >= 0 && host.indexOf(':', colon + 1) >= 0) return false;
    }
    if (colon >= 0) {
        bool ok = false;
        const uint p = host.mid(colon + 1).toUInt(&ok);
        if (!ok || p > 65535) return false;
        port = quint16(p);
        host.truncate(colon);
    }
    if (host.endsWith('.')) host.chop(1);
    return port == port_ && hosts_.contains(QString::fromLatin1(host));
}

std::optional<QHttpServerResponse> TTeacherPage::Refusal(const QHttpServerRequest& request, bool post) {
    const QList<QByteArray> hosts = Headers(request, "Host");
    if (hosts.size() != 1 || !HostAllowed(hosts.first()))
        return Problem(QStringLiteral("this page answers only at its own address"), Status::Forbidden);
    if (!post) return std::nullopt;
    // A browser names the page that sent a POST; only the page itself may.
    const QByteArray origin = Header(request, "Origin");
    if (!origin.isEmpty() && origin.toLower() != "http://" + hosts.first().toLower())
        return Problem(QStringLiteral("only the page itself can send this"), Status::Forbidden);
    const QByteArray site = Header(request, "Sec-Fetch-Site").toLower();
    if (!site.isEmpty() && site != "same-origin" && site != "none")
        return Problem(QStringLiteral("only the page itself can send this"), Status::Forbidden);
    if (!IsJsonMediaType(Header(request, "Content-Type")))
        return Problem(QStringLiteral("send it as JSON (Content-Type: application/json)"), Status::UnsupportedMediaType);
    return std::nullopt;
}

QString TTeacherPage::Who(const QHttpServerRequest& request) const {
    // One IPv6 network (its first 64 bits) is one place, as one machine may
    // take any address in it.
    QHostAddress address = request.remoteAddress();
    bool v4 = false;
    const quint32 ip4 = address.toIPv4Address(&v4);
    QString who;
    if (v4) {
        who = QHostAddress(ip4).toString();
    } else {
        Q_IPV6ADDR bytes = address.toIPv6Address();
        for (int i = 8; i < 16; ++i) bytes[i] = 0;
        who = QHostAddress(bytes).toString() + QStringLiteral("/64");
    }
    // When too many places are waiting, the new ones wait together.
    if (failures_.size() >= kMaxFailures && !failures_.contains(who)) return QStringLiteral("*");
    return who;
}

bool TTeacherPage::MustWait(const QHttpServerRequest& request) const {
    const auto f = failures_.constFind(Who(request));
    return f != failures_.constEnd() && f->Until > clock_.elapsed();
}

bool TTeacherPage::CheckSecret(const QHttpServerRequest& request, const QByteArray& given, bool isPassword) {
    const bool right = SameSecret(given, isPassword ? password_ : secret_);
    const QString who = Who(request);
    if (right) {
        failures_.remove(who);
        return true;
    }
    if (failures_.size() >= kMaxFailures) {
        for (auto it = failures_.begin(); it != failures_.end();)
            it = it->Until < clock_.elapsed() ? failures_.erase(it) : std::next(it);
    }
    TFailures& f = failures_[who];
    f.Count = std::min(f.Count + 1, 16);
    f.Until = clock_.elapsed() + std::min<qint64>(qint64(1000) << (f.Count - 1), kMaxWaitMs);
    return false;
}

TTeacherPage::TAccess TTeacherPage::Access(const QHttpServerRequest& request) {
    // The session cookie the opening address gave.
    const QByteArray name = CookieName();
    for (const QByteArray& header : Headers(request, "Cookie"))
        for (const QByteArray& pair : header.split(';')) {
            const QByteArray item = pair.trimmed();
            if (!item.startsWith(name + '=')) continue;
            const QByteArray value = item.mid(name.size() + 1);
            for (const QByteArray& session : sessions_)
                if (SameSecret(value, session)) return TAccess::Granted;
        }
    const QByteArray authorization = Header(request, "Authorization");
    if (authorization.isEmpty()) return TAccess::Missing;
    if (MustWait(request)) return TAccess::Waiting;
    const qsizetype space = authorization.indexOf(' ');
    const QByteArray scheme = authorization.left(space).toLower();
    const QByteArray value = space < 0 ? QByteArray() : authorization.mid(space + 1).trimmed();
    if (scheme == "bearer") return CheckSecret(request, value, false) ? TAccess::Granted : TAccess::Wrong;
    if (scheme == "basic") {
        const QByteArray pair = QByteArray::fromBase64(value);
        const qsizetype colon = pair.indexOf(':');
        if (colon >= 0 && !password_.isEmpty() && CheckSecret(request, pair.mid(colon + 1), true)) return TAccess::Granted;
        if (colon < 0 || password_.isEmpty()) CheckSecret(request, QByteArray(), true);
        return TAccess::Wrong;
    }
    return TAccess::Wrong;
}

QHttpServerResponse TTeacherPage::Denied(TAccess access, const QHttpServerRequest& request) const {
    if (access == TAccess::Waiting) {
        const auto f = failures_.constFind(Who(request));
        const qint64 wait = f == failures_.constEnd() ? 1 : std::max<qint64>(1, (f->Until - clock_.elapsed() + 999) / 1000);
        QHttpServerResponse response =
            Problem(QStringLiteral("too many wrong tries: wait %1 seconds").arg(wait), Status::TooManyRequests);
        response.setHeader("Retry-After", QByteArray::number(wait));
        return response;
    }
    QHttpServerResponse response = Problem(
        password_.isEmpty()
            ? QStringLiteral("open the page with the address tavolin-classroom printed when it started")
            : QStringLiteral("open the page with the address tavolin-classroom printed when it started, or give "
                             "the page's password"),
        Status::Unauthorized);
    // The browser asks for the password only when there is one.
    if (!password_.isEmpty())
        response.setHeader("WWW-Authenticate", "Basic realm=\"Tavolin classroom\", charset=\"UTF-8\"");
    return response;
}

QHttpServerResponse TTeacherPage::Open(const QHttpServerRequest& request) {
    const QUrlQuery query = request.query();
    if (query.hasQueryItem(QStringLiteral("token"))) {
        if (MustWait(request)) return Denied(TAccess::Waiting, request);
        const QByteArray token = query.queryItemValue(QStringLiteral("token"), QUrl::FullyDecoded).toUtf8();
        if (!CheckSecret(request, token, false)) return Denied(TAccess::Wrong, request);
        // A session of its own for this browser; the key leaves the address bar.
        const QByteArray session = RandomHex(32);
        sessions_.push_back(session);
        while (sessions_.size() > kMaxSessions) sessions_.pop_front();
        QHttpServerResponse response(Status::SeeOther);
        response.setHeader("Location", "/");
        response.setHeader("Set-Cookie", CookieName() + '=' + session + "; Path=/; HttpOnly; SameSite=Strict");
        return response;
    }
    const TAccess access = Access(request);
    if (access != TAccess::Granted) return Denied(access, request);
    return Page();
}

QHttpServerResponse TTeacherPage::Page() const {
    QFile file(QStringLiteral(":/classroom/TeacherPage.html"));
    if (!file.open(QIODevice::ReadOnly)) return Problem(QStringLiteral("the page is missing"), Status::InternalServerError);
    QByteArray html = file.readAll();
    // The first picture comes with the page, so a projector never shows it empty.
    html.replace("/*STATE*/null", ScriptSafeJson(QJsonDocument(State()).toJson(QJsonDocument::Compact)));
    // Only the page's own script runs.
    const QByteArray nonce = RandomHex(16);
    html.replace("<script nonce>", "<script nonce=\"" + nonce + "\">");
    QHttpServerResponse response(QByteArrayLiteral("text/html; charset=utf-8"), html);
    response.setHeader("Content-Security-Policy",
                       "default-src 'none'; script-src 'nonce-" + nonce +
                           "'; style-src 'unsafe-inline'; connect-src 'self'; img-src 'self'; base-uri 'none'; "
                           "form-action 'none'; frame-ancestors 'none'");
    return response;
}

QJsonObject TTeacherPage::State() const {
    QJsonArray sessions, assignments;
    for (const TSessionView& s : store_.Sessions(StoreTime(kLiveSeconds), 8)) sessions.append(SessionJson(s));
    for (const auto& [computer, a] : store_.Assignments())
        assignments.append(QJsonObject{
            {"computer", computer}, {"learner", a.Learner}, {"content", a.ContentRoot}, {"target", a.Target}});
    QStringList computers = store_.Computers(StoreTime(kLiveSeconds));
    if (!computers.contains(service_.Computer())) computers.prepend(service_.Computer());
    return {{"computer", service_.Computer()},
            {"computers", QJsonArray::fromStringList(computers)},
            {"sessions", sessions},
            {"assignments", assignments},
            {"time", StoreTime()}};
}

QHttpServerResponse TTeacherPage::Assign(const QHttpServerRequest& request) {
    QJsonObject body;
    if (!ReadBody(request, body)) return Problem(QStringLiteral("send the assignment as JSON"), Status::BadRequest);
    const QString computer = body.value("computer").toString().trimmed();
    if (computer.isEmpty()) return Problem(QStringLiteral("name the computer"), Status::BadRequest);
    const TAssignment a{body.value("content").toString().trimmed(), body.value("target").toString().trimmed(),
                        body.value("learner").toString().trimmed()};
    if (!PlainText(computer, kMaxName) || !PlainText(a.Learner, kMaxName))
        return Problem(QStringLiteral("a computer's or learner's name has at most %1 characters and no control characters")
                           .arg(kMaxName),
                       Status::BadRequest);
    if (!a.Target.isEmpty() && !FolderName(a.Target))
        return Problem(QStringLiteral("the target is one folder name (no / or \\, not . or ..)"), Status::BadRequest);
    if (!a.ContentRoot.isEmpty() && (!a.ContentRoot.startsWith(QLatin1Char('/')) || !PlainText(a.ContentRoot, kMaxPath)))
        return Problem(QStringLiteral("the content folder is a full path, such as /media/disc"), Status::BadRequest);
    store_.Assign(computer, a);
    return Json({{"ok", true}});
}

QHttpServerResponse TTeacherPage::ShutDown(const QHttpServerRequest& request) {
    QJsonObject body;
    const auto wrong = [] { return Problem(QStringLiteral("send {\"session\": number} as JSON"), Status::BadRequest); };
    if (!ReadBody(request, body) || !body.value("session").isDouble()) return wrong();
    // A session number is a whole number a double holds exactly.
    const double number = body.value("session").toDouble();
    if (!std::isfinite(number) || number != std::floor(number) || number < 0 || number > 9007199254740992.0)
        return wrong();
    if (!service_.ShutDownSession(qint64(number)))
        return Problem(QStringLiteral("that program is not signed in any more"), Status::NotFound);
    return Json({{"ok", true}});
}

} // namespace classroom
