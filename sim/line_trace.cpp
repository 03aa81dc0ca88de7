#include "sim/line_trace.h"

#include "core/error.h"

namespace sim {

LineTrace::LineTrace(const QString &fileName) : file_(fileName)
{
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        throw Error(QStringLiteral("Cannot create the trace file %1").arg(fileName));
}

LineTrace::~LineTrace() { flush(); }

void LineTrace::add(qint64 atUs, Direction direction, const QByteArray &bytes)
{
    for (char c : bytes) {
        if (!run_.isEmpty() && direction != direction_)
            flush();
        if (run_.isEmpty()) {
            direction_ = direction;
            runUs_ = atUs;
        }
        run_.append(c);
        if (c == '\x7D')
            flush();
    }
}

void LineTrace::flush()
{
    if (run_.isEmpty())
        return;
    const QString line = QStringLiteral("%1.%2 %3 %4\n")
                             .arg(runUs_ / 1000000)
                             .arg(runUs_ % 1000000, 6, 10, QLatin1Char('0'))
                             .arg(direction_ == ToDevices ? QStringLiteral("to-devices") : QStringLiteral("to-pc"))
                             .arg(QString::fromLatin1(run_.toHex(' ').toUpper()));
    file_.write(line.toLatin1());
    file_.flush();
    run_.clear();
}

} // namespace sim
