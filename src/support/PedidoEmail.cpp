#include "support/PedidoEmail.h"

#include "platform/Conversoes.h"
#include "platform/Erro.h"
#include "platform/LeitorIni.h"
#include "support/Instalacao.h"
#include "support/RegistroEventos.h"

#include <exception>
#include <limits>
#include <optional>

namespace talvero {

namespace {

const QString kQuebra = QStringLiteral("\r\n");
const QString kSecaoEmail = QStringLiteral("EMAIL");
constexpr int kTamanhoNomeNoAssunto = 15;

std::int16_t empresaDoTexto(const QString& codigo) {
    const std::int32_t n = ConverteNumeroEstrito(codigo);
    if (n < std::numeric_limits<std::int16_t>::min() ||
        n > std::numeric_limits<std::int16_t>::max())
        throw Erro(QStringLiteral("Estouro"), erros::Estouro);
    return static_cast<std::int16_t>(n);
}

// "007" for 7; a text that is no number goes as it is.
QString empresaTresDigitos(const QString& codigo) {
    bool ok = false;
    const int n = codigo.trimmed().toInt(&ok);
    return ok ? QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0')) : codigo;
}

QString assuntoDe(const QString& nomeEmpresa, const QString& assunto) {
    return nomeEmpresa.left(kTamanhoNomeNoAssunto) + QLatin1Char(':') + assunto;
}

template <typename Passo> std::optional<QString> falhaDe(Passo passo) {
    try {
        passo();
        return std::nullopt;
    } catch (const Erro& e) {
        return e.descricao();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    }
}

} // namespace

struct PedidoEmail::Pedido {
    QString codigoEmpresa;
    QString nomeEmpresa;
    QString assunto;
    QString mensagem;
    bool concluido;
    EnderecosEmail enderecos;
};

EnderecosEmail EnderecosEmail::LeDoIni(const SistemaArquivos& arquivos, const QString& arquivoIni) {
    auto le = [&](const char* chave) {
        return LeIni(arquivos, kSecaoEmail, QString::fromUtf8(chave), arquivoIni);
    };
    return {le("Nome do Remetente"), le("Email do Remetente"), le("Email do Destinatario 1"),
            le("Email do Destinatario 2")};
}

PedidoEmail::PedidoEmail(const Relogio& relogio, SistemaArquivos& arquivos, Operador& operador,
                         SocketIp& socket, Configuracao& config, CriaMensagens criaMensagens)
    : relogio_(relogio), arquivos_(arquivos), operador_(operador), socket_(socket), config_(config),
      criaMensagens_(std::move(criaMensagens)) {}

bool PedidoEmail::GravaPedidoEmail(const QString& codigoEmpresa, const QString& nomeEmpresa,
                                   const QString& assunto, const QString& mensagem, bool concluido,
                                   std::int32_t /*numeroEmail*/) {
    const Pedido p{codigoEmpresa, nomeEmpresa,
                   assunto,       mensagem,
                   concluido,     EnderecosEmail::LeDoIni(arquivos_, instalacao::kArquivoIni)};
    bool resultado = false;
    // The notice is needed most when the database is down: a failing record part
    // must not keep the registration file from being written.
    const auto falhaRegistros = falhaDe([&] { gravaRegistros(p, resultado); });
    const auto falhaCadastro = falhaDe([&] {
        gravaCadastro(p);
        resultado = true;
    });
    // One box for the request's troubles, whatever failed.
    QStringList falhas;
    for (const auto& f : {falhaRegistros, falhaCadastro})
        if (f && !falhas.contains(*f)) falhas << *f;
    if (!falhas.isEmpty()) avisa(falhas.join(QLatin1Char('\n')));
    return resultado;
}

MensagemEmailCampos PedidoEmail::nova(const Pedido& p) const {
    MensagemEmailCampos m;
    m.Empresa = empresaDoTexto(p.codigoEmpresa);
    m.Numero = 1;
    m.NomeEmpresa = p.nomeEmpresa;
    m.NomeRemetente = p.enderecos.NomeRemetente;
    m.EmailRemetente = p.enderecos.EmailRemetente;
    m.EmailDestinatario = p.enderecos.EmailDestinatario1;
    m.Assunto = assuntoDe(p.nomeEmpresa, p.assunto);
    m.Mensagem = p.mensagem;
    m.DataHora1 = dataHora();
    m.DataHora2 = m.DataHora1;
    m.EnderecoIp = socket_.IpDoHost();
    m.Situacao = 0;
    m.Concluido = p.concluido;
    return m;
}

// `resultado` keeps the outcome of the last insert even when a later step fails.
void PedidoEmail::gravaRegistros(const Pedido& p, bool& resultado) {
    const std::unique_ptr<MensagensEmail> mensagens = criaMensagens_();
    std::int32_t& numero = config_.gNumeroEmail;
    const std::int16_t empresa = config_.gCodigoEmpresa;
    MensagemEmailCampos m;
    bool emMaos = p.concluido;
    if (numero == 0) {
        m = nova(p);
        resultado = mensagens->Inclui(m);
    } else if (mensagens->Localiza(empresa, numero, m)) {
        m.Mensagem += kQuebra + p.mensagem;
        m.Concluido = p.concluido;
        emMaos = mensagens->Altera(empresa, numero, m);
    } else {
        // The open message is gone: the notice goes out as a new one instead of as
        // an empty record.
        numero = 0;
        m = nova(p);
        m.Numero = 0;
    }
    numero = emMaos ? 0 : m.Numero;
    if (numero != 0) {
        MensagemEmailCampos seguinte;
        if (mensagens->Localiza(empresa, numero + 1, seguinte)) {
            seguinte.Mensagem += kQuebra + p.mensagem;
            seguinte.Concluido = false;
            mensagens->Altera(empresa, numero + 1, seguinte);
        }
    } else {
        m.EmailDestinatario = p.enderecos.EmailDestinatario2;
        m.DataHora1 = dataHora();
        m.DataHora2 = m.DataHora1;
        resultado = mensagens->Inclui(m);
    }
}

QString PedidoEmail::ArquivoTemporario(const QString& arquivo) {
    return arquivo.chopped(3) + QStringLiteral("tmp");
}

QStringList PedidoEmail::LinhasCadastro(const QString& codigoEmpresa, const QString& nomeEmpresa,
                                        const QString& assunto, const QString& mensagem) {
    return {QStringLiteral("[Empresa]"),
            QStringLiteral("Empresa=") + empresaTresDigitos(codigoEmpresa),
            QStringLiteral("NomeEmpresa=") + nomeEmpresa,
            QStringLiteral(" "),
            QStringLiteral("[Programa]"),
            QStringLiteral("Programa=MovimentoEnviaMensagemEmailRotina"),
            QStringLiteral(" "),
            QStringLiteral("[Email]"),
            QStringLiteral("Assunto=") + assuntoDe(nomeEmpresa, assunto),
            QStringLiteral("Mensagem=") + mensagem};
}

void PedidoEmail::gravaCadastro(const Pedido& p) {
    const QString& arquivo = instalacao::kCadastroZorp;
    const QString temporario = ArquivoTemporario(arquivo);
    if (arquivos_.existe(temporario)) arquivos_.apaga(temporario, true);
    if (arquivos_.existe(arquivo)) arquivos_.apaga(arquivo, true);
    arquivos_.criaTexto(temporario,
                        LinhasCadastro(p.codigoEmpresa, p.nomeEmpresa, p.assunto, p.mensagem));
    arquivos_.move(temporario, arquivo);
}

QString PedidoEmail::dataHora() const {
    const QDateTime agora = relogio_.agora();
    return RegistroEventos::DataPadrao(agora.date()) + QLatin1Char(' ') +
           RegistroEventos::HoraDoDia(agora.time());
}

void PedidoEmail::avisa(const QString& descricao) {
    operador_.mensagem(QStringLiteral("Erro ao gravar Zorp_Cadastro.ini!\n") + descricao,
                       QStringLiteral("Erro Interno!"), Icone::Informacao);
}

} // namespace talvero
