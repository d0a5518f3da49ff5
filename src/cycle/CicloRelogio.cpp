#include "cycle/CicloAutomacao.h"

#include "support/RotinasGerais.h"

namespace talvero {

namespace {
constexpr int kEsperaRelogioSegundos = 1;
} // namespace

// The concentrator stamps fuelings with its own day, hour and minute; month,
// year and seconds it never gets.
void CicloAutomacao::AutoAtualizaRelogioEquip() {
    habilitaTimer(false);
    try {
        const QDate data = d_.relogio.agora().date();
        const QTime hora = d_.relogio.agora().time();
        texto() = QStringLiteral("(&H") + data.toString(QStringLiteral("dd")) + hora.toString(QStringLiteral("HHmm")) +
                  QLatin1Char(')');
        if (cfg().lUsarDllCompany) {
            d_.enlace.enviaSomente(texto());
            AguardaSegundos(d_.relogio, d_.agendador, kEsperaRelogioSegundos);
            const QString codigo = QString::number(d_.enlace.lRetDll);
            if (d_.enlace.lRetDll == 1)
                registra(QStringLiteral(" - Dll Company AutoAtualizaRelogioEquip OK. lRetDll=") + codigo);
            else
                registra(QStringLiteral(" - ** Erro Dll Company SetClockVB. lRetDll=") + codigo);
        } else {
            // What waits at the port answers no clock frame (the "(&V)" sent after a
            // refused clock answer, a request of an instance that was killed): read
            // together with the clock's answer, it would refuse that one too, for ever.
            d_.enlace.enviaSerial(texto());
            registra(QStringLiteral(" - AutoAtualizaRelogioEquip: Output=") + texto());
        }
    } catch (const Erro& e) {
        registra(QStringLiteral(" - ERRO AutoAtualizaRelogioEquip: ") + e.comNumero());
    }
    habilitaTimer(true);
}

} // namespace talvero
