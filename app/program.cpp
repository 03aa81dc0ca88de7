#include "app/program.h"
#include "app/tform1.h"
#include "devices/code_memory/tform17.h"
#include "devices/code_memory/tform18.h"
#include "devices/code_memory/tform2.h"
#include "devices/code_memory/tform3.h"
#include "devices/code_memory/tform4.h"
#include "devices/event_memory/tform12.h"
#include "devices/event_memory/tform13.h"
#include "devices/event_memory/tform14.h"
#include "devices/event_memory/tform15.h"
#include "devices/event_memory/tform16.h"
#include "exchange/tform10.h"
#include "exchange/tform5.h"
#include "exchange/tform8.h"
#include "link/qt_serial_port.h"
#include "records/database_dialogs.h"
#include "records/tform6.h"
#include "records/tform7.h"
#include "ui/db_grid.h"
#include "ui/db_navigator.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>

template <class W, class... Args> W *Program::create(Args &&...args)
{
    W *w = new W(std::forward<Args>(args)...);
    windows_.append(w);
    return w;
}

Program::Program(const QString &exePath, std::unique_ptr<SerialPort> port)
{
    if (!port)
        port = std::make_unique<QtSerialPort>();
    try {
        form1_ = create<TForm1>(exePath, std::move(port));
        TForm1 &f = *form1_;
        Dialogs d;
        d.form7 = create<TForm7>(f.enteredPassword);
        d.form2 = create<TForm2>(f.codeMemory);
        TForm3 *form3 = create<TForm3>(f.codeMemory);
        f.codeMemory.showConfiguration = [form3](const QString &heading, const std::optional<DeviceConfig> &device) {
            form3->showValues(heading, device);
        };
        TForm4 *form4 = create<TForm4>(f.codeMemory, QList<QWidget *>{f.DBGrid3, f.DBNavigator2});
        f.codeMemory.showDetected = [form4] { form4->show(); };
        d.form5 = create<TForm5>(f.db, f.headings);
        d.form6 = create<TForm6>(f.headings, f.settingsFile(), [&f] { f.headingRefresh(); });
        d.form8 = create<TForm8>(f.programFolder);
        d.form9 = create<TForm9>(f.db);
        d.form10 = create<TForm10>(f.programFolder);
        d.form11 = create<TForm11>(f.db);
        d.form13 = create<TForm13>(EventReadingContext{f.link, f.db, [&f] { f.codeMemory.selectDevice(); },
                                                       [&f] { return f.codeMemory.deviceName; }});
        const auto selectDevice = [&f] { f.codeMemory.selectDevice(); };
        d.form14 = create<TForm14>(f.link, selectDevice);
        d.form12 = create<TForm12>(f.link, selectDevice);
        d.form13->summerSetting = [clock = d.form14] { return clock->summerSetting(); };
        d.form13->form15 = create<TForm15>(d.form13->reading);
        d.form13->form16 = create<TForm16>(d.form13->events);
        d.form17 = create<TForm17>(f.codeMemory);
        d.form18 = create<TForm18>(f.codeMemory);
        f.setDialogs(d);
    } catch (...) {
        deleteWindows();
        throw;
    }
}

Program::~Program() { deleteWindows(); }

// The main window last: the dialogs hold references into it.
void Program::deleteWindows()
{
    while (!windows_.isEmpty())
        delete windows_.takeLast();
}

// The windows are laid out for a small sans-serif face. The Tahoma clone some
// Linux systems ship clips the carons of Czech capitals (its ascent is too
// small), so the program uses DejaVu Sans there, one pixel smaller.
void setUpFonts()
{
    QFont f = QApplication::font();
    const bool tahoma = QFontDatabase::families().contains(QStringLiteral("Tahoma")) &&
                        !QFile::exists(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"));
    f.setFamily(tahoma ? QStringLiteral("Tahoma") : QStringLiteral("DejaVu Sans"));
    f.setPixelSize(tahoma ? 12 : 11);
    QApplication::setFont(f);
}
