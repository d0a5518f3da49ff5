#pragma once

#include "platform/Operador.h"
#include "platform/Relogio.h"
#include "platform/SistemaArquivos.h"
#include "support/Configuracao.h"
#include "support/MensagemEmailCampos.h"
#include "support/SocketIp.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>

namespace talvero {

// The data library's MensagemEmail records as the mail request uses them. The
// shell hands in the real records; the general routines need not link the store.
// Failures of the library raise talvero::Erro.
class MensagensEmail {
public:
    virtual ~MensagensEmail() = default;
    // Loads the record into `m`; false, `m` untouched, when there is none.
    virtual bool Localiza(std::int16_t empresa, std::int32_t numero, MensagemEmailCampos& m) = 0;
    // Inserts; on success `m.Numero` is the number the record got.
    virtual bool Inclui(MensagemEmailCampos& m) = 0;
    virtual bool Altera(std::int16_t empresa, std::int32_t numero,
                        const MensagemEmailCampos& m) = 0;
};

// Sender and recipients of the notices: section EMAIL of the configuration file.
struct EnderecosEmail {
    QString NomeRemetente;
    QString EmailRemetente;
    QString EmailDestinatario1;
    QString EmailDestinatario2;

    static EnderecosEmail LeDoIni(const SistemaArquivos& arquivos, const QString& arquivoIni);
};

// The notice for the sibling mail program: queued records plus its registration file.
class PedidoEmail {
public:
    using CriaMensagens = std::function<std::unique_ptr<MensagensEmail>()>;

    PedidoEmail(const Relogio& relogio, SistemaArquivos& arquivos, Operador& operador,
                SocketIp& socket, Configuracao& config, CriaMensagens criaMensagens);

    // True when the registration file was written. A failing data library does not
    // keep the file from being written; the operator is told of every failure.
    // `numeroEmail` is not read: the routine works on gNumeroEmail itself.
    bool GravaPedidoEmail(const QString& codigoEmpresa, const QString& nomeEmpresa,
                          const QString& assunto, const QString& mensagem, bool concluido,
                          std::int32_t numeroEmail);

    static QString ArquivoTemporario(const QString& arquivo);
    static QStringList LinhasCadastro(const QString& codigoEmpresa, const QString& nomeEmpresa,
                                      const QString& assunto, const QString& mensagem);

private:
    struct Pedido;
    void gravaRegistros(const Pedido& p, bool& resultado);
    void gravaCadastro(const Pedido& p);
    MensagemEmailCampos nova(const Pedido& p) const;
    QString dataHora() const;
    void avisa(const QString& descricao);

    const Relogio& relogio_;
    SistemaArquivos& arquivos_;
    Operador& operador_;
    SocketIp& socket_;
    Configuracao& config_;
    CriaMensagens criaMensagens_;
};

} // namespace talvero
