#include "EmpresaDiaria.h"

#include "EmpresaTeste.h"

namespace diario {

namespace {
// Salespeople: "O'B" has an apostrophe in its code; V9 appears on lines but has no row here.
const char* const mestres = R"(
INSERT INTO VENDEDOR VALUES ('V1','Ana Silva'), ('V2','Bruno Costa'), ('V3','Carla Dias'),
                            ('O''B','Olivia O''Brien');
INSERT INTO Clientes VALUES ('C1','Cliente Um',''), ('C2','Cliente Dois','');
-- A1, A2 goods; APT goods in the carriage group; D1 a descriptor; PORTES a carriage descriptor;
-- AI inactive.
INSERT INTO ARTIGOS VALUES ('A1','Artigo Um','G1',0,0), ('A2','Artigo Dois','G1',0,0),
                           ('APT','Palete','PT',0,0), ('D1','Servico','SV',0,-1),
                           ('PORTES','Portes','PT',0,-1), ('AI','Inactivo','G1',1,0);
)";

// Client orders (AREAG 2, TPTERC 2). Columns: TPDOC, SERIE, NNUMDOC, ANO, DATA, AREAG, TPTERC,
// NATCONTA, SINALCT, TERCEIRO, VENDEDOR, NVIAS, CONVERT.
//   day (07-12, series <> '0', ValorO > 0, active, not 'PT'):
//     V1: A/1 (100 + 50) -> 1 order, 150      V2: A/1 30 + A/3 10 -> 2 orders, 40
//     V9: A/2 20 -> 1, 20                       O'B: A/8 12 -> 1, 12
//   month (December, any series): V1 1/150, V2 3/80 (0/1 counts), V9 1/20, O'B 1/12, V3 1/70
//   without the group clause V1 also has A/4 (PORTES 15): day and month 2 orders, 165.
//   pending (VALOR > 0, QUANT > 0, not converted, since 2020-06-01, series <> '0'):
//     V1: A/1 150 + A/6 999 -> 2, 1149   V2: A/1 30, A/3 10, A/9/2020 8 -> 3, 48
//     V3: A/5 70 -> 1, 70   V9: A/2 20 -> 1, 20   O'B: A/8 12 -> 1, 12
//     A/3 has no client row: in the summary only.
const char* const encomendas = R"(
INSERT INTO DOCGCCAB VALUES
 ('ECL','A',1,2026,'2026-12-07 00:00:00',2,2,0,1,'C1','V1',0,0),
 ('ECL','A',2,2026,'2026-12-07 00:00:00',2,2,0,1,'C2','V1',0,0),
 ('ECL','0',1,2026,'2026-12-07 00:00:00',2,2,0,1,'C1','V2',0,0),
 ('ECL','A',3,2026,'2026-12-07 00:00:00',2,2,0,1,'C404','V2',0,0),
 ('ECL','A',4,2026,'2026-12-07 00:00:00',2,2,0,1,'C1','V1',0,0),
 ('ECL','A',5,2026,'2026-12-02 00:00:00',2,2,0,1,'C1','V3',0,0),
 ('ECL','A',6,2026,'2026-11-30 00:00:00',2,2,0,1,'C1','V1',0,0),
 ('ECL','A',7,2020,'2020-05-31 00:00:00',2,2,0,1,'C1','V1',0,0),
 ('ECL','A',9,2020,'2020-06-01 00:00:00',2,2,0,1,'C2','V2',0,0),
 ('ECL','A',10,2026,'2026-10-15 00:00:00',2,2,0,1,'C1','V1',0,1),
 ('ECL','A',8,2026,'2026-12-07 00:00:00',2,2,0,1,'C2','O''B',0,0);
-- TPDOCUM, SERIE, NNUMDOC, ANO, NUMLINHA, ARTIGO, VENDEDOR, DATA (delivery), QTDORIG, QUANT,
-- PRUNIT, TXDESC, VALOR, ValorO, VlMovstk, LINANU
INSERT INTO DOCGCLIN VALUES
 ('ECL','A',1,2026,1,'A1','V1','2026-12-20 00:00:00',2,2,50,0,100,100,0,0),
 ('ECL','A',1,2026,2,'A2','V1','2026-12-20 00:00:00',1,1,50,0,50,50,0,0),
 ('ECL','A',1,2026,3,'A1','V2','2026-12-21 00:00:00',1,1,30,0,30,30,0,0),
 ('ECL','A',1,2026,4,'AI','V1','2026-12-20 00:00:00',1,1,9,0,9,9,0,0),
 ('ECL','A',2,2026,1,'A1','V1','2026-12-22 00:00:00',1,1,0,0,0,0,0,0),
 ('ECL','A',2,2026,2,'A1','V1','2026-12-22 00:00:00',1,1,-5,0,-5,-5,0,0),
 ('ECL','A',2,2026,3,'A1','V9','2026-12-22 00:00:00',1,1,20,0,20,20,0,0),
 ('ECL','0',1,2026,1,'A1','V2','2026-12-23 00:00:00',1,1,40,0,40,40,0,0),
 ('ECL','A',3,2026,1,'A1','V2','2026-12-23 00:00:00',1,1,10,0,10,10,0,0),
 ('ECL','A',4,2026,1,'PORTES','V1','2026-12-20 00:00:00',1,1,15,0,15,15,0,0),
 ('ECL','A',5,2026,1,'A1','V3','2026-12-15 00:00:00',1,1,70,0,70,70,0,0),
 ('ECL','A',6,2026,1,'A1','V1','2026-12-10 00:00:00',1,1,999,0,999,999,0,0),
 ('ECL','A',7,2020,1,'A1','V1','2020-06-10 00:00:00',1,1,7,0,7,7,0,0),
 ('ECL','A',9,2020,1,'A1','V2','2020-06-10 00:00:00',1,1,8,0,8,8,0,0),
 ('ECL','A',10,2026,1,'A1','V1','2026-10-20 00:00:00',1,1,33,0,33,33,0,0),
 ('ECL','A',8,2026,1,'A2','O''B','2026-12-24 00:00:00',1,1,12,0,12,12,0,0);
)";

// Sales (AREAG 4, TPTERC 2, NATCONTA 1); NC has SINALCT 2 and subtracts.
//   day, with the group clause (goods lines outside 'PT'):
//     V1: FT/A/1 A1 100/60 + FT/A/3 A2 25/20 -> 2 sales, cost 80, value 125, descr 10 (D1),
//         carriage 5 (PORTES), margin 45/125 = 36
//     V2: FT/A/1 A2 40/30 - NC/A/1 A1 20/12 -> 2, cost 18, value 20, 0, 0, margin 10
//     V9: FT/A/2 quantity 0, cost 8, value 0 -> 1, 8, 0, 0, 0, margin 100
//   month adds V1 FT/A/5 50/40 -> 3, 120, 175, 10, 5, 55/175 = 31.43; V3 FT/A/4/2026 30/15 and
//     FT/A/7/2025 (dated December 2026) 10/5 -> 2, 20, 40, 0, 0, 50. FT/A/6 is November,
//     FT/A/8 has NVIAS -1.
//   without the group clause: V2 day adds APT 7/3 -> cost 21, value 27, margin 22.22; the
//     descriptor sub-sums both become 15 for V1.
//   by client (Ano 2026, December, known clients, goods and descriptors, not 'PT'):
//     V1/C1 110, V1/C2 50, V2/C1 40, V2/C2 -20, V3/C2 30, V9/C1 0.
const char* const vendas = R"(
INSERT INTO DOCGCCAB VALUES
 ('FT','A',1,2026,'2026-12-07 00:00:00',4,2,1,1,'C1','V1',1,0),
 ('NC','A',1,2026,'2026-12-07 00:00:00',4,2,1,2,'C2','V2',1,0),
 ('FT','A',2,2026,'2026-12-07 00:00:00',4,2,1,1,'C1','V9',1,0),
 ('FT','A',3,2026,'2026-12-07 00:00:00',4,2,1,1,'C404','V1',1,0),
 ('FT','A',4,2026,'2026-12-03 00:00:00',4,2,1,1,'C2','V3',1,0),
 ('FT','A',5,2026,'2026-12-01 00:00:00',4,2,1,1,'C2','V1',1,0),
 ('FT','A',6,2026,'2026-11-28 00:00:00',4,2,1,1,'C1','V1',1,0),
 ('FT','A',7,2025,'2026-12-05 00:00:00',4,2,1,1,'C2','V3',1,0),
 ('FT','A',8,2026,'2026-12-07 00:00:00',4,2,1,1,'C1','V1',-1,0);
INSERT INTO DOCGCLIN VALUES
 ('FT','A',1,2026,1,'A1','V1','2026-12-07 00:00:00',2,2,50,0,100,0,60,0),
 ('FT','A',1,2026,2,'D1','V1','2026-12-07 00:00:00',1,1,10,0,10,0,0,0),
 ('FT','A',1,2026,3,'PORTES','V1','2026-12-07 00:00:00',1,1,5,0,5,0,0,0),
 ('FT','A',1,2026,4,'A2','V2','2026-12-07 00:00:00',1,1,40,0,40,0,30,0),
 ('FT','A',1,2026,5,'APT','V2','2026-12-07 00:00:00',1,1,7,0,7,0,3,0),
 ('NC','A',1,2026,1,'A1','V2','2026-12-07 00:00:00',1,1,20,0,20,0,12,0),
 ('FT','A',2,2026,1,'A1','V9','2026-12-07 00:00:00',0,0,0,0,0,0,8,0),
 ('FT','A',3,2026,1,'A2','V1','2026-12-07 00:00:00',1,1,25,0,25,0,20,0),
 ('FT','A',4,2026,1,'A1','V3','2026-12-03 00:00:00',3,3,10,0,30,0,15,0),
 ('FT','A',5,2026,1,'A1','V1','2026-12-01 00:00:00',1,1,50,0,50,0,40,0),
 ('FT','A',6,2026,1,'A1','V1','2026-11-28 00:00:00',1,1,1000,0,1000,0,500,0),
 ('FT','A',7,2025,1,'A1','V3','2026-12-05 00:00:00',1,1,10,0,10,0,5,0),
 ('FT','A',8,2026,1,'A1','V1','2026-12-07 00:00:00',1,1,500,0,500,0,300,0);
INSERT INTO ARTARM VALUES ('A1','001',1,0), ('A2','002',10,0);
)";
}  // namespace

void CriarEmpresaDiaria(const std::string& ficheiro, const std::string& numContr)
{
    apoio::EmpresaTeste empresa(ficheiro);
    empresa.Executar("INSERT INTO EMPRESA VALUES ('Empresa de Teste','" + numContr + "');");
    empresa.Executar(mestres);
    empresa.Executar(encomendas);
    empresa.Executar(vendas);
    empresa.Fechar();
}

}  // namespace diario
