#include "cli/options.h"

namespace cli {

namespace {

// Which options each command takes; --folder, --port and --trace go with all.
struct CommandRule {
    const char *name;
    bool device;  // --device NAME or (where it may) --all, exactly one
    bool all;     // --all may stand for --device
    QStringList extra;
};

const QList<CommandRule> &commandRules()
{
    static const QList<CommandRule> rules = {
        {"scan", false, false, {}},
        {"clock", true, true, {}},
        {"set-clock", true, true, {}},
        {"read-set", true, false, {QStringLiteral("--out")}},
        {"write-set", true, false, {QStringLiteral("--file"), QStringLiteral("--verify")}},
        {"events", true, true, {QStringLiteral("--out"), QStringLiteral("--move-start")}},
    };
    return rules;
}

const CommandRule *ruleOf(const QString &command)
{
    for (const CommandRule &r : commandRules())
        if (command == QLatin1String(r.name))
            return &r;
    return nullptr;
}

// The option's value, or an error when the arguments end after it.
bool takeValue(const QStringList &args, int &i, QString &value, QString *error)
{
    if (i + 1 >= args.size() || args[i + 1].startsWith(QLatin1String("--"))) {
        *error = QStringLiteral("Volba ") + args[i] + QStringLiteral(" potřebuje hodnotu.");
        return false;
    }
    value = args[++i];
    return true;
}

bool takeOption(const QStringList &args, int &i, Options &o, QString *error)
{
    const QString &a = args[i];
    if (a == QLatin1String("--all")) {
        o.all = true;
        return true;
    }
    if (a == QLatin1String("--verify")) {
        o.verify = true;
        return true;
    }
    if (a == QLatin1String("--move-start")) {
        o.moveStart = true;
        return true;
    }
    const std::pair<const char *, QString *> valued[] = {{"--folder", &o.folder}, {"--port", &o.port},
                                                         {"--trace", &o.trace},   {"--device", &o.device},
                                                         {"--out", &o.out},       {"--file", &o.file}};
    for (const auto &[name, field] : valued)
        if (a == QLatin1String(name))
            return takeValue(args, i, *field, error);
    *error = QStringLiteral("Neznámá volba ") + a + QStringLiteral(".");
    return false;
}

// A command-specific option given to a command that does not take it.
bool fitsCommand(const Options &o, const CommandRule &rule, QString *error)
{
    const std::pair<const char *, bool> given[] = {
        {"--out", !o.out.isEmpty()}, {"--file", !o.file.isEmpty()}, {"--verify", o.verify},
        {"--move-start", o.moveStart}};
    for (const auto &[name, isGiven] : given)
        if (isGiven && !rule.extra.contains(QLatin1String(name))) {
            *error = QStringLiteral("Příkaz ") + o.command + QStringLiteral(" nezná volbu ") + QLatin1String(name)
                + QStringLiteral(".");
            return false;
        }
    const bool device = !o.device.isEmpty();
    if (!rule.device && (device || o.all)) {
        *error = QStringLiteral("Příkaz ") + o.command + QStringLiteral(" se neptá na zařízení.");
        return false;
    }
    if (o.all && !rule.all) {
        *error = QStringLiteral("Příkaz ") + o.command + QStringLiteral(" pracuje jen s jedním zařízením: --device JMÉNO.");
        return false;
    }
    if (rule.device && device == o.all) {
        *error = QStringLiteral("Příkaz ") + o.command + QStringLiteral(" potřebuje buď --device JMÉNO, nebo --all.");
        return false;
    }
    return true;
}

} // namespace

std::optional<Options> parseArguments(const QStringList &args, QString *error)
{
    Options o;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h") || a == QLatin1String("help")) {
            o.command = QStringLiteral("help");
            return o;
        }
        if (!a.startsWith(QLatin1String("--"))) {
            if (!o.command.isEmpty()) {
                *error = QStringLiteral("Nadbytečný argument ") + a + QStringLiteral(".");
                return std::nullopt;
            }
            o.command = a;
        } else if (!takeOption(args, i, o, error)) {
            return std::nullopt;
        }
    }
    if (o.command.isEmpty()) {
        *error = QStringLiteral("Chybí příkaz.");
        return std::nullopt;
    }
    const CommandRule *rule = ruleOf(o.command);
    if (!rule) {
        *error = QStringLiteral("Neznámý příkaz ") + o.command + QStringLiteral(".");
        return std::nullopt;
    }
    if (!fitsCommand(o, *rule, error))
        return std::nullopt;
    return o;
}

QString helpText()
{
    return QStringLiteral(
        "Použití: tavo-cli PŘÍKAZ [VOLBY]\n"
        "\n"
        "Příkazy:\n"
        "  scan                                  prohledá adresy 0 až 255, vypíše nalezené TAVO-M a jejich verze\n"
        "  clock --device JMÉNO | --all          čas každého TAVO-B a jeho odchylka od PC v sekundách\n"
        "  set-clock --device JMÉNO | --all      nastaví čas PC (s přechodem na letní čas a zpět)\n"
        "  read-set --device JMÉNO [--out F]     přečte sestavu ze zařízení do pracovní sestavy (nebo do F)\n"
        "  write-set --device JMÉNO [--file F] [--verify]\n"
        "                                        zapíše pracovní sestavu (nebo F) do zařízení; s --verify\n"
        "                                        ji přečte zpět a vypíše každý slot, který se liší\n"
        "  events --device JMÉNO | --all [--out DIR] [--move-start]\n"
        "                                        načte nové události každého TAVO-B s příjmeními a připíše je\n"
        "                                        do DIR/JMÉNO-RRRR-MM.csv (výchozí je složka programu); čte jen\n"
        "                                        to, co dosud nečetl; s --move-start po uložení posune začátek\n"
        "\n"
        "Volby pro všechny příkazy:\n"
        "  --folder DIR    složka programu (tabulky, pracovní sestava, TAVO-port.ini); výchozí je složka tavo-cli\n"
        "  --port NAME     port místo portu z TAVO-port.ini\n"
        "  --trace FILE    zapisuje všechny bajty na lince do souboru\n"
        "  --help          tento text\n"
        "\n"
        "Zařízení se jmenují podle seznamu zařízení databáze DEMO; --all projde celý seznam.\n"
        "Návratový kód (při více chybách kód té první):\n"
        "  0  vše provedeno (a ověřeno)\n"
        "  1  jiná chyba (soubor nelze číst nebo zapsat, zařízení není v seznamu, poškozená odpověď)\n"
        "  2  chybné argumenty\n"
        "  3  zařízení neodpovídá\n"
        "  4  port nelze otevřít nebo selhal během běhu\n"
        "  5  ověření zápisu našlo sloty, které se liší\n");
}

} // namespace cli
