#include "devices/code_memory/code_memory.h"
#include "link/link.h"
#include "records/database.h"
#include "records/device_list.h"
#include "core/operator.h"

void CodeMemory::selectDevice()
{
    Table &devices = db.Table3;
    const DeviceRow row = ::deviceRow(devices);
    deviceName = row.name;
    db.Table1.close();
    const QString previous = db.Table1.tableName();
    archiveName = row.archive;
    setLinkConfig(link, {row.address, row.relayTime, row.codeCount});
    storeDeviceRow(devices, row);
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
}
