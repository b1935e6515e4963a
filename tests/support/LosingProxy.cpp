#include "tests/support/LosingProxy.h"

#include <QByteArray>

#include <firebird/Interface.h>
#include <ibase.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace Firebird;

namespace {

// The condition, asked straight of the server through the Firebird interfaces. Every object here
// belongs to the relay's thread; nothing is shared with FbConnection.
class DirectCheck {
public:
    explicit DirectCheck(FbConnection::Params params) : params_(std::move(params)) {}
    ~DirectCheck() { detach(); }
    DirectCheck(const DirectCheck&) = delete;
    DirectCheck& operator=(const DirectCheck&) = delete;

    // Runs `sql` in a read-only read-committed transaction of its own (it sees every commit made
    // before it starts); true when the first column of its row is not zero.
    bool holds(const QString& sql, QString& error)
    {
        ThrowStatusWrapper st(master_->getStatus());
        ITransaction* tx = nullptr;
        IMessageMetadata* out = nullptr;
        bool result = false;
        try {
            attach(st);
            static const unsigned char tpb[] = {isc_tpb_version3, isc_tpb_read_committed, isc_tpb_rec_version,
                                                isc_tpb_nowait, isc_tpb_read};
            tx = attachment_->startTransaction(&st, sizeof tpb, tpb);
            out = oneInteger(st);
            std::vector<unsigned char> row(out->getMessageLength(&st), 0);
            const QByteArray text = sql.toUtf8();
            attachment_->execute(&st, tx, unsigned(text.size()), text.constData(), 3, nullptr, nullptr, out,
                                 row.data());
            qint64 value = 0;
            qint16 null = 0;
            std::memcpy(&value, row.data() + out->getOffset(&st, 0), sizeof value);
            std::memcpy(&null, row.data() + out->getNullOffset(&st, 0), sizeof null);
            result = null == 0 && value != 0;
            tx->commit(&st);
            tx = nullptr;
            error.clear();
        } catch (const FbException& e) {
            char message[1024];
            master_->getUtilInterface()->formatStatus(message, sizeof message, e.getStatus());
            error = QString::fromUtf8(message);
            if (tx)
                tx->release();
            detach();
        }
        if (out)
            out->release();
        st.dispose();
        return result;
    }

private:
    // The row the check reads: one nullable integer, to which the server converts the first column.
    IMessageMetadata* oneInteger(ThrowStatusWrapper& st)
    {
        IMetadataBuilder* builder = master_->getMetadataBuilder(&st, 1);
        try {
            builder->setType(&st, 0, SQL_INT64 + 1);
            builder->setLength(&st, 0, sizeof(qint64));
            builder->setScale(&st, 0, 0);
            IMessageMetadata* meta = builder->getMetadata(&st);
            builder->release();
            return meta;
        } catch (...) {
            builder->release();
            throw;
        }
    }

    void attach(ThrowStatusWrapper& st)
    {
        if (attachment_)
            return;
        IXpbBuilder* dpb = master_->getUtilInterface()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
        dpb->insertString(&st, isc_dpb_user_name, params_.user.toUtf8().constData());
        dpb->insertString(&st, isc_dpb_password, params_.password.toUtf8().constData());
        IProvider* provider = master_->getDispatcher();
        const QByteArray name = params_.database.toUtf8();
        try {
            attachment_ =
                provider->attachDatabase(&st, name.constData(), dpb->getBufferLength(&st), dpb->getBuffer(&st));
        } catch (...) {
            dpb->dispose();
            provider->release();
            throw;
        }
        dpb->dispose();
        provider->release();
    }

    void detach()
    {
        if (!attachment_)
            return;
        CheckStatusWrapper st(master_->getStatus());
        attachment_->detach(&st);
        if (st.getState() & IStatus::STATE_ERRORS)
            attachment_->release();
        attachment_ = nullptr;
        st.dispose();
    }

    IMaster* master_ = fb_get_master_interface();
    FbConnection::Params params_;
    IAttachment* attachment_ = nullptr;
};

// The port of "host/PORT".
int portOf(const QString& serverAddress)
{
    bool ok = false;
    const int port = serverAddress.section(QLatin1Char('/'), 1).toInt(&ok);
    if (!ok || port <= 0 || port > 65535)
        throw std::invalid_argument("LosingProxy: no port in the server address " + serverAddress.toStdString());
    return port;
}

sockaddr_in loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// The whole chunk, however many calls it takes. The peer reads as it goes: the protocol answers
// each request before the next one is sent.
bool sendAll(int fd, const char* data, ssize_t size)
{
    while (size > 0) {
        const ssize_t sent = ::send(fd, data, std::size_t(size), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        data += sent;
        size -= sent;
    }
    return true;
}

} // namespace

class LosingProxy::Relay {
public:
    Relay(int serverPort, FbConnection::Params check) : serverPort_(serverPort), check_(std::move(check))
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in any = loopback(0);
        socklen_t length = sizeof any;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0 ||
            ::listen(listener_, 16) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&any), &length) != 0 ||
            ::pipe2(wake_, O_CLOEXEC) != 0)
            throw std::runtime_error(std::string("LosingProxy: cannot listen: ") + std::strerror(errno));
        port_ = ntohs(any.sin_port);
        thread_ = std::thread([this] { run(); });
    }

    ~Relay()
    {
        const char stop = 's';
        [[maybe_unused]] const ssize_t written = ::write(wake_[1], &stop, 1);
        thread_.join();
        for (const Pair& pair : pairs_)
            closePair(pair);
        ::close(listener_);
        ::close(wake_[0]);
        ::close(wake_[1]);
    }

    int port() const { return port_; }

    void arm(const QString& condition)
    {
        std::lock_guard lock(mutex_);
        condition_ = condition;
        lost_ = false;
    }

    bool lost() const
    {
        std::lock_guard lock(mutex_);
        return lost_;
    }

    QString checkError() const
    {
        std::lock_guard lock(mutex_);
        return checkError_;
    }

private:
    struct Pair {
        int client;
        int server;
    };

    // The relay's event loop: new connections, bytes from either side, and the wake-up to stop.
    void run()
    {
        DirectCheck check(check_);
        for (;;) {
            std::vector<pollfd> fds{{wake_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
            for (const Pair& pair : pairs_) {
                fds.push_back({pair.client, POLLIN, 0});
                fds.push_back({pair.server, POLLIN, 0});
            }
            if (::poll(fds.data(), nfds_t(fds.size()), -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if (fds[0].revents)
                return;
            if (fds[1].revents & POLLIN)
                accept();
            // Pairs accepted in this round are polled in the next one.
            const std::size_t polled = (fds.size() - 2) / 2;
            std::vector<Pair> open;
            for (std::size_t i = 0; i < polled; ++i) {
                const Pair pair = pairs_[i];
                const bool fromClient = fds[2 + 2 * i].revents != 0;
                const bool fromServer = fds[3 + 2 * i].revents != 0;
                if ((fromClient && !forward(pair.client, pair.server, nullptr)) ||
                    (fromServer && !forward(pair.server, pair.client, &check)))
                    closePair(pair);
                else
                    open.push_back(pair);
            }
            open.insert(open.end(), pairs_.begin() + std::ptrdiff_t(polled), pairs_.end());
            pairs_ = std::move(open);
        }
    }

    void accept()
    {
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            return;
        const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_in address = loopback(serverPort_);
        if (server < 0 || ::connect(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            if (server >= 0)
                ::close(server);
            ::close(client); // the program sees the server as unreachable
            return;
        }
        pairs_.push_back({client, server});
    }

    // Moves one chunk from `from` to `to`; false when the pair is to be closed. A chunk from the
    // server passes `check` first while armed.
    bool forward(int from, int to, DirectCheck* check)
    {
        char chunk[65536];
        ssize_t got = 0;
        do
            got = ::recv(from, chunk, sizeof chunk, 0);
        while (got < 0 && errno == EINTR);
        if (got <= 0)
            return false;
        if (check && answerToLose(*check))
            return false;
        return sendAll(to, chunk, got);
    }

    bool answerToLose(DirectCheck& check)
    {
        QString condition;
        {
            std::lock_guard lock(mutex_);
            condition = condition_;
        }
        if (condition.isEmpty())
            return false;
        QString error;
        const bool stored = check.holds(condition, error);
        std::lock_guard lock(mutex_);
        checkError_ = error;
        if (!stored)
            return false;
        condition_.clear();
        lost_ = true;
        return true;
    }

    static void closePair(const Pair& pair)
    {
        ::shutdown(pair.client, SHUT_RDWR);
        ::close(pair.client);
        ::close(pair.server);
    }

    const int serverPort_;
    const FbConnection::Params check_;
    int listener_ = -1;
    int wake_[2] = {-1, -1};
    int port_ = 0;
    std::vector<Pair> pairs_; // the relay's thread only, once started
    std::thread thread_;

    mutable std::mutex mutex_;
    QString condition_;
    bool lost_ = false;
    QString checkError_;
};

LosingProxy::LosingProxy(const QString& serverAddress, FbConnection::Params check)
    : relay_(std::make_unique<Relay>(portOf(serverAddress), std::move(check)))
{
}

LosingProxy::~LosingProxy() = default;

QString LosingProxy::address() const
{
    return QStringLiteral("127.0.0.1/") + QString::number(relay_->port());
}

QString LosingProxy::relayed(const QString& database) const
{
    const qsizetype colon = database.indexOf(QLatin1Char(':'));
    return address() + database.mid(colon);
}

void LosingProxy::loseAnswerOnceStored(const QString& condition)
{
    relay_->arm(condition);
}

bool LosingProxy::answerLost() const
{
    return relay_->lost();
}

QString LosingProxy::checkError() const
{
    return relay_->checkError();
}
