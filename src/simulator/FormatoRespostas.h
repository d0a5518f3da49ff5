#pragma once

#include "platform/Moeda.h"
#include "simulator/ConfiguracaoConcentrador.h"

#include <QString>
#include <optional>

namespace talvero::sim {

// The fields of a fueling answer. Positions (from 1):
//
//   52 "(TTTTTTLLLLLLPPPPVVCCCCBBDDHHMMNNRRRREEEEEEEEEESSKK)"
//   75 "(ATTTTTTLLLLLLPPPPVVCCCCBBDDHHMMNNRRRREEEEEEEEEESSIIIIIIIIIIIIIIIIMMMMPPKK)"
//   34 "(TTTTTTLLLLLLPPPPVVCCCCBBDDHHMMKK)": the standard fields up to the minutes,
//      then the checksum at 32-33; no totalizer.
//
// What this concentrator puts in the fields nobody reads: V the product code,
// C the duration in seconds, N "00", R the fueling's sequence number (4 digits),
// S "00", A "1" when a card was presented ("0" otherwise), M "0000", P "00".
// The checksum K is the frame checksum of everything after "(" up to K. Its
// field has room for two digits, so when that sum would be exactly 256 ("100")
// the concentrator writes S as "01" (V in the 34 layout) and the sum moves off 256.
struct CamposAbastecimento {
    Moeda total;
    Moeda litros;
    Moeda preco;
    QString v = QStringLiteral("00");
    QString duracao = QStringLiteral("0000");
    QString bico;
    int dia = 1;
    int hora = 0;
    int minuto = 0;
    QString n = QStringLiteral("00");
    QString r = QStringLiteral("0000");
    Moeda encerrante;
    QString s = QStringLiteral("00");
    QString a = QStringLiteral("0");
    QString cartao = QStringLiteral("0000000000000000");
    QString m = QStringLiteral("0000");
    QString p = QStringLiteral("00");
};

// `inteiros` integer digits followed by `decimais` decimal digits. The value must
// fit exactly; otherwise talvero::Erro (overflow).
QString digitosDe(Moeda valor, int inteiros, int decimais);

// The checksum an answer carries, over the characters after "(".
QString checksumResposta(const QString& corpoSemParentese, ModoChecksum modo);

// Appends checksum and ")" to an answer that starts with "(". `posicaoLivre` is
// the index of a character nobody reads, moved by one when the standard sum
// would need three digits.
QString fechaResposta(QString corpo, qsizetype posicaoLivre, ModoChecksum modo);

QString formataAbastecimento(const CamposAbastecimento& c, Leiaute leiaute, int casasLitragem,
                             int casasValor, ModoChecksum modo);

// Reads an answer of 52, 75 or 34 characters back into fields; nothing when the
// length is none of those or a number field holds anything but digits.
std::optional<CamposAbastecimento> leAbastecimento(const QString& resposta, int casasLitragem,
                                                   int casasValor);

// 51 characters: "(&S" + name (36) + firmware at 40-43 + monitor at 44-47 + "0" + checksum + ")".
QString formataVersao(const QString& firmware, const QString& monitor, ModoChecksum modo);

// 52 characters: "(?" + letter + position (4-9) + second field (10-15) + card
// (16-31) + 18 zeros + checksum (50-51) + ")".
QString formataCartao(QChar letra, int posicao, const QString& segundoCampo, const QString& cartao,
                      ModoChecksum modo);

QString seisDigitos(int n);

} // namespace talvero::sim
