#pragma once

#include "link/EnlaceConcentrador.h"
#include "platform/Erro.h"
#include "platform/Operador.h"
#include "support/Configuracao.h"
#include "support/RegistroEventos.h"

#include <QString>
#include <functional>

namespace talvero {

// A card or position the frame gate refused: no frame is built with it.
class ValorRecusado : public Erro {
public:
    ValorRecusado(QString campo, QString valor, QString regra);
    const QString& campo() const { return campo_; }
    const QString& valor() const { return valor_; }
    const QString& regra() const { return regra_; }

private:
    QString campo_, valor_, regra_;
};

// The IdentFid identifier's card table, reached through the concentrator link:
// write a card, erase a record, read a record, search a card. Every result is
// made of fields closed by "|@|": "|@|" alone when the identifier did not give
// the expected answer (or a card or position was refused and nothing was sent),
// "" when nothing was read at all. A command did what was asked only when its
// first field is a position of 6 digits.
class CartoesIdentFid {
public:
    struct Dependencias {
        RegistroEventos& registro;
        EnlaceConcentrador& enlace;
        Operador& operador;
        const QString& lPassoDebugarErroAbastAndam;
        const bool& encerrando; // the window is gone: a search reads no further
    };

    explicit CartoesIdentFid(Dependencias dependencias) : d_(dependencias) {}

    QString AutoIncluiCartaoIdentFid(const QString& pNumeroCartao);
    QString AutoExcluiCartaoIdentFid(const QString& pNumeroCartao, const QString& pPosicaoRegistro);
    QString AutoLerCartaoIdentFid(const QString& pNumeroCartao, const QString& pPosicaoRegistro);
    // The position where the card is, then "|@|"; "|@|" alone when every record
    // said it holds another card; "" when some record could not be read and the
    // card was not found elsewhere. `continua`, when given, is asked before each
    // record is read; false ends the search as if nothing had been found.
    QString
    AutoPesquisaPosicaoCartaoIdentFid(const QString& pNumeroCartao, bool mostraMensagem,
                                      const std::function<bool(int registro)>& continua = {});

    // The bodies of the card frames, before MontaComando closes them. Every card
    // and position passes here: one that is not valid raises ValorRecusado.
    static QString CorpoGrava(const QString& cartao);
    static QString CorpoApaga(const QString& cartao, const QString& posicao);
    static QString CorpoLe(const QString& posicao);
    static void ExigeCartao(const QString& cartao);
    // The write's exchange alone, as the identifier trial needs it. Raises.
    RespostaConcentrador GravaParaEnsaio(const QString& cartao);
    // One log line for a refused value.
    void RegistraRecusa(const char* rotina, const ValorRecusado& recusa);

    static constexpr int kRegistrosPesquisados = 51;
    static void MostraPosicao(Operador& operador, const QString& cartao, const QString& posicao);

private:
    // What one record told of a card.
    enum class Registro { ComOCartao, ComOutroCartao, Ilegivel };
    struct Leitura {
        Registro registro = Registro::Ilegivel;
        QString posicao;
    };

    Leitura leRegistro(const QString& cartao, const QString& posicao);
    Leitura resultadoLeitura(const QString& resposta, const QString& cartao);
    RespostaConcentrador troca(ComandoCartao comando, const QString& corpo);

    template <typename Resultado, typename Corpo, typename Comando>
    Resultado executa(const char* rotina, Resultado recusado, Corpo corpo, Comando comando);

    void registra(const QString& mensagem) { d_.registro.registra(mensagem); }
    PortaConcentrador& porta() { return d_.enlace.porta(); }

    Dependencias d_;
};

} // namespace talvero
