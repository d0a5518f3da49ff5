#include "simulator/MontadorQuadros.h"

#include "platform/CodecAnsi.h"

namespace talvero::sim {

QStringList MontadorQuadros::adiciona(const QByteArray& bytes) {
    QStringList quadros;
    for (char b : bytes) {
        if (b == '(') {
            pendente_ = QByteArray(1, b);
            dentro_ = true;
        } else if (!dentro_) {
            continue;
        } else if (b == ')') {
            pendente_.append(b);
            quadros << ansi::decodifica(pendente_);
            limpa();
        } else if (pendente_.size() >= kMaximo) {
            limpa();
        } else {
            pendente_.append(b);
        }
    }
    return quadros;
}

} // namespace talvero::sim
