#include "devices/code_memory/code_memory.h"
#include "link/link.h"
#include "records/database.h"
#include "core/operator.h"

namespace {
int inRange(int value, int max, int fallback) { return value >= 0 && value <= max ? value : fallback; }
} // namespace

int deviceField(const QString &text)
{
    if (text.isEmpty())
        return -1;
    const QString t = text.size() < 3 ? QString(3 - text.size(), QLatin1Char('0')) + text : text.left(3);
    int v = 0;
    for (QChar ch : t) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return -1;
        v = v * 10 + (ch.unicode() - u'0');
    }
    return v;
}

void CodeMemory::selectDevice()
{
    Table &devices = db.Table3;
    deviceName = devices.fieldText(1);
    if (deviceName.isEmpty())
        deviceName = QStringLiteral("Nepojmenováno");
    db.Table1.close();
    const QString previous = db.Table1.tableName();
    archiveName = devices.fieldText(2);
    if (archiveName.isEmpty())
        archiveName = QStringLiteral("arch1");
    link.currentAddress = inRange(deviceField(devices.fieldText(3)), 255, 255);
    link.relayTime = inRange(deviceField(devices.fieldText(4)), 255, 5);
    link.codeCount = inRange(deviceField(devices.fieldText(5)), 510, 510);

    devices.edit();
    devices.setFieldText(1, deviceName);
    devices.setFieldText(2, archiveName);
    devices.setFieldText(3, QString::number(link.currentAddress));
    devices.setFieldText(4, QString::number(link.relayTime));
    devices.setFieldText(5, QString::number(link.codeCount));
    devices.post();
    deviceRow = devices.bookmark();

    db.Table1.setTableName(archiveName);
    if (!db.Table1.exists()) {
        db.Table1.setTableName(previous);
        const QString q = QStringLiteral("Sestava neexistuje. Chcete vytvořit novou sestavu ") + archiveName + QStringLiteral(" ?");
        if (op().messageBox(QStringLiteral("Dotaz"), q, MB_YESNO | MB_ICONQUESTION) == IDYES) {
            db.Table1.open();
            Table::copyTable(db.databaseFolder, previous, archiveName);
            db.Table1.close();
            db.Table1.setTableName(archiveName);
        }
    }
    db.Table1.open();
    if (db.headingRefresh)
        db.headingRefresh();
}
