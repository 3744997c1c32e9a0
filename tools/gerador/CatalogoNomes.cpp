#include "CatalogoNomes.h"

#include <array>
#include <cctype>
#include <string_view>

namespace quorvelanti::gerador {

namespace {

constexpr std::array<std::string_view, 40> primeirosNomes = {
    "Ana", "Maria", "João", "José", "António", "Manuel", "Francisco", "Rita", "Inês", "Sofia",
    "Pedro", "Rui", "Carlos", "Paulo", "Luís", "Miguel", "Teresa", "Helena", "Catarina", "Joana",
    "Nuno", "Tiago", "Ricardo", "Sérgio", "Vítor", "Fernanda", "Isabel", "Cláudia", "Marta", "Patrícia",
    "Jorge", "Filipe", "André", "Bruno", "Diogo", "Susana", "Graça", "Conceição", "Armando", "Álvaro"};

constexpr std::array<std::string_view, 40> apelidos = {
    "Silva", "Santos", "Ferreira", "Pereira", "Oliveira", "Costa", "Rodrigues", "Martins", "Jesus", "Sousa",
    "Fernandes", "Gonçalves", "Gomes", "Lopes", "Marques", "Alves", "Almeida", "Ribeiro", "Pinto", "Carvalho",
    "Teixeira", "Moreira", "Correia", "Mendes", "Nunes", "Soares", "Vieira", "Monteiro", "Cardoso", "Rocha",
    "Antunes", "Machado", "Falcão", "Brandão", "Simões", "Magalhães", "Araújo", "Tavares", "Leitão", "Conceição"};

constexpr std::array<std::string_view, 24> localidades = {
    "Leiria", "Aveiro", "Braga", "Viseu", "Setúbal", "Coimbra", "Évora", "Faro", "Guarda", "Tomar",
    "Barcelos", "Pombal", "Óbidos", "Amarante", "Chaves", "Lamego", "Elvas", "Tondela", "Fafe", "Seia",
    "Águeda", "Loulé", "Ourém", "Peniche"};

constexpr std::array<std::string_view, 16> ramos = {
    "Ferragens", "Drogaria", "Construções", "Materiais de Construção", "Electricidade", "Canalizações",
    "Serralharia", "Carpintaria", "Obras e Remodelações", "Agro-Pecuária", "Jardins", "Climatização",
    "Casa e Bricolage", "Instalações Técnicas", "Mobiliário", "Decorações"};

constexpr std::array<std::string_view, 5> formasSociais = {", Lda.", ", S.A.", " & Filhos, Lda.", ", Unipessoal Lda.", " e Irmão, Lda."};

template <std::size_t N>
std::string escolher(Aleatorio& a, const std::array<std::string_view, N>& lista)
{
    return std::string(lista[static_cast<std::size_t>(a.Inteiro(0, N - 1))]);
}

}  // namespace

CatalogoNomes::CatalogoNomes()
    : grupos_{
          {"FER", "FER", false, 0.35, 45.0,
           {"Parafuso sextavado", "Porca autoblocante", "Anilha lisa", "Dobradiça inox", "Fechadura de embutir",
            "Cadeado latão", "Bucha nylon", "Prego aço", "Puxador alumínio", "Corrente galvanizada"},
           {"M6", "M8", "M10", "M12", "40mm", "60mm", "80mm", "100mm", "cx.100", "cx.500"}},
          {"ELE", "ELE", false, 0.9, 180.0,
           {"Cabo H07V-K", "Tomada schuko", "Interruptor simples", "Disjuntor", "Lâmpada LED", "Calha técnica",
            "Quadro eléctrico", "Extensão", "Projector LED", "Fita isoladora"},
           {"1,5mm²", "2,5mm²", "branco", "preto", "16A", "25A", "E27 9W", "E14 5W", "50W", "10m"}},
          {"CAN", "CAN", false, 0.6, 240.0,
           {"Tubo multicamada", "Joelho PVC", "Torneira esquadria", "Válvula de retenção", "Misturadora lavatório",
            "Sifão", "União latão", "Autoclismo", "Flexível inox", "Bomba submersível"},
           {"16mm", "20mm", "25mm", "32mm", "1/2\"", "3/4\"", "cromado", "branco", "40cm", "0,75kW"}},
          {"TIN", "TIN", false, 2.5, 95.0,
           {"Tinta plástica", "Esmalte aquoso", "Primário", "Verniz marítimo", "Diluente", "Massa de reparação",
            "Rolo pintura", "Trincha", "Fita de pintor", "Impermeabilizante"},
           {"0,75L", "4L", "15L", "branco", "cinza", "mate", "acetinado", "nº40", "25mm", "5kg"}},
          {"FRM", "FRM", false, 3.0, 420.0,
           {"Berbequim", "Rebarbadora", "Martelo", "Chave de fendas", "Alicate universal", "Nível de bolha",
            "Serra de esquadria", "Fita métrica", "Jogo de brocas", "Aparafusadora"},
           {"18V", "230V", "850W", "125mm", "500g", "PH2", "200mm", "60cm", "5m", "13 peças"}},
          {"JAR", "JAR", false, 1.2, 320.0,
           {"Mangueira", "Aspersor", "Tesoura de poda", "Adubo", "Terra vegetal", "Vaso", "Corta-relva",
            "Enxada", "Rede sombreamento", "Programador rega"},
           {"15m", "25m", "1/2\"", "20kg", "50L", "30cm", "eléctrico", "manual", "2x10m", "4 estações"}},
          {"SRV", "SRV", true, 15.0, 120.0,
           {"Mão de obra", "Montagem", "Deslocação", "Aluguer de equipamento", "Assistência técnica"},
           {"(hora)", "(serviço)", "(dia)", "ao domicílio", "urgente"}},
          {"PORTES", "PORTES", true, 4.5, 38.0,
           {"Portes de envio", "Portes urgentes", "Transporte de paletes"},
           {"", "continente", "ilhas"}},
      }
{
}

std::string CatalogoNomes::NomePessoa(Aleatorio& a) const
{
    return escolher(a, primeirosNomes) + " " + escolher(a, apelidos);
}

std::string CatalogoNomes::NomeCliente(Aleatorio& a) const
{
    switch (a.Inteiro(0, 5)) {
    case 0:
        return NomePessoa(a);
    case 1:
        return escolher(a, apelidos) + " & " + escolher(a, apelidos) + escolher(a, formasSociais);
    case 2:
        return escolher(a, ramos) + " " + escolher(a, localidades) + escolher(a, formasSociais);
    default:
        return escolher(a, ramos) + " " + escolher(a, apelidos) + escolher(a, formasSociais);
    }
}

std::string CatalogoNomes::NomeFornecedor(Aleatorio& a) const
{
    return "Distribuidora " + escolher(a, apelidos) + escolher(a, formasSociais);
}

std::string CatalogoNomes::NomeEmpresa(Aleatorio& a) const
{
    return escolher(a, apelidos) + " " + escolher(a, ramos) + " de " + escolher(a, localidades) + ", Lda.";
}

// The accented letters of Portuguese are all two-byte UTF-8 sequences of Latin-1 letters.
std::string CatalogoNomes::Ascii(const std::string& texto)
{
    static constexpr std::string_view acentuadas[] = {"áàâãä", "éèêë", "íìîï", "óòôõö", "úùûü", "ç"};
    static constexpr char simples[] = {'a', 'e', 'i', 'o', 'u', 'c'};
    std::string saida;
    for (std::size_t i = 0; i < texto.size(); ++i) {
        const auto c = static_cast<unsigned char>(texto[i]);
        if (c < 0x80) {
            saida += static_cast<char>(std::tolower(c));
            continue;
        }
        if (i + 1 >= texto.size()) break;
        // Upper-case letters of Latin-1 are 0x20 below their lower-case forms.
        const std::string letra{static_cast<char>(c), static_cast<char>(texto[i + 1] | 0x20)};
        ++i;
        for (std::size_t k = 0; k < std::size(acentuadas); ++k)
            if (acentuadas[k].find(letra) != std::string_view::npos && acentuadas[k].find(letra) % 2 == 0) {
                saida += simples[k];
                break;
            }
    }
    return saida;
}

}  // namespace quorvelanti::gerador
