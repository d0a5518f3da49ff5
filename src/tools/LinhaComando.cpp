#include "tools/LinhaComando.h"

#include <algorithm>

namespace talvero::linhaComando {

QString comando(const QStringList& argumentos) {
    static const QStringList comValor{
        "--root",    "--critico",        "--id",       "--data",      "--de",    "--ate",
        "--empresa", "--atraso",         "--servidor", "--porta",     "--banco", "--usuario",
        "--como",    "--arquivo-senhas", "--sslmode",  "--limite-wal"};
    if (argumentos.contains(QLatin1String("--help")) || argumentos.contains(QLatin1String("-h")))
        return {};
    for (qsizetype i = 1; i < argumentos.size(); ++i) {
        const QString& arg = argumentos[i];
        if (comValor.contains(arg))
            ++i;
        else if (!arg.startsWith(QLatin1String("--")))
            return arg;
    }
    return {};
}

LinhaLida le(const QStringList& args, const FormaComando& forma) {
    QList<OpcaoComValor> comValor = forma.comValor;
    comValor.append(
        {QStringLiteral("--root"), QStringLiteral("a opção --root precisa de uma pasta")});
    LinhaLida l;
    bool comando = false;
    for (qsizetype i = 1; i < args.size() && l.erroUso.isEmpty(); ++i) {
        const QString& arg = args[i];
        const auto opcao = std::find_if(comValor.cbegin(), comValor.cend(),
                                        [&](const OpcaoComValor& o) { return o.nome == arg; });
        if (opcao != comValor.cend()) {
            const bool temValor = i + 1 < args.size();
            if (temValor && (!opcao->aceita || opcao->aceita(args[i + 1])))
                l.valores[arg] = args[++i];
            else
                l.erroUso = opcao->exigencia;
        } else if (forma.marcas.contains(arg)) {
            l.marcadas << arg;
        } else if (arg == forma.nome && !comando) {
            comando = true;
        } else if (!arg.startsWith(QLatin1String("--")) && l.livres.size() < forma.livres) {
            l.livres << arg;
        } else {
            l.erroUso = (arg.startsWith(QLatin1String("--"))
                             ? QStringLiteral("opção inválida para %1: ").arg(forma.nome)
                             : QStringLiteral("argumento a mais: ")) +
                        arg;
        }
    }
    return l;
}

} // namespace talvero::linhaComando
