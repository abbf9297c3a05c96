#include "server/connections/runningserverprobe.h"

#include "protocol/framecodec.h"
#include "protocol/serveranswer.h"
#include "protocol/servervocabulary.h"

#include <QDeadlineTimer>
#include <QTcpSocket>

bool RunningServerProbe::isQuilloraServer(const QHostAddress &address, quint16 port)
{
    constexpr int patienceMs = 3000;
    const QDeadlineTimer deadline(patienceMs);
    QTcpSocket socket;
    socket.connectToHost(address, port);
    if (!socket.waitForConnected(patienceMs))
        return false;
    socket.write(FrameCodec::encode(ServerVocabulary::limitRequest()));
    FrameCodec codec;
    QString text;
    while (socket.waitForReadyRead(int(deadline.remainingTime()))) {
        codec.append(socket.readAll());
        switch (codec.next(&text)) {
        case FrameCodec::Status::Frame:
            return ServerAnswer::parse(text).kind == ServerAnswer::Kind::Limit;
        case FrameCodec::Status::Malformed:
            return false;
        case FrameCodec::Status::NeedMore:
            break;
        }
    }
    return false;
}
