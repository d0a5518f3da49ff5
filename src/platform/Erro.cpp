#include "platform/Erro.h"

namespace talvero {

Erro::Erro(QString descricao, int numero)
    : descricao_(std::move(descricao)), numero_(numero),
      texto_((descricao_ + QStringLiteral(" (") + QString::number(numero_) + QLatin1Char(')'))
                 .toUtf8()) {}

} // namespace talvero
