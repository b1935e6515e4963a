-- The shared database of the product family: purchases, stock, products, suppliers, users,
-- workstations, payment forms and accounts payable. Default character set WIN1252, dialect 3.
-- Each statement ends with ';' at the end of a line.

-- Purchase invoice headers.
create table NFISCAL (
    ESTACAO varchar(2) not null,
    CODIGO integer not null,
    LOJA varchar(14),
    DATA date not null,
    NOTAFISCAL varchar(10) not null,
    FORNECEDOR varchar(40),
    VALBRUTO decimal(15,2),
    DESCONTOTOTAL decimal(15,2),
    VALLIQUIDO decimal(15,2),
    FORMAPAGTO varchar(40),
    ICMS decimal(15,2),
    IPI decimal(15,2),
    IRRF decimal(15,2),
    OUTROSIMP decimal(15,2),
    GRUPDESP varchar(20),
    CCUSTO varchar(20),
    FAMILIA varchar(40),
    TIPOOPERACAO varchar(15),
    DATARECEBIM date,
    SERIE varchar(3),
    CFOP varchar(4),
    ENTRADASAIDA varchar(1),
    BASEICMS decimal(15,2),
    ISENTOICMS decimal(15,2),
    OUTROSICMS decimal(15,2),
    ALIQUOTAICMS decimal(15,2),
    VALORIPI decimal(15,2),
    ISENTOIPI decimal(15,2),
    OUTROSIPI decimal(15,2),
    BASEICMS_ST decimal(15,2),
    FRETE decimal(15,2),
    CANCELAMENTO varchar(1),
    SEGURO decimal(15,2),
    OUTRASDESP decimal(15,2),
    ICMS_RETIDO_ST decimal(15,2),
    CALCULO_ST_LISTA_PMC varchar(1),
    BAIXARESTOQUE decimal(15,2),
    NFE varchar(1),
    DIFERENCAICMS decimal(15,2),
    CODIGOFORNECEDOR varchar(4) not null,
    OBSERVACAO varchar(80),
    constraint PK_NFISCAL primary key (CODIGO)
);
-- The invoice list in each order the search panel offers; the descending key serves Max(CODIGO).
create index IX_NFISCAL_DATA on NFISCAL (DATA, NOTAFISCAL, FORNECEDOR);
create index IX_NFISCAL_NOTA on NFISCAL (NOTAFISCAL, FORNECEDOR);
create index IX_NFISCAL_FORNECEDOR on NFISCAL (FORNECEDOR, DATA, NOTAFISCAL);
create index IX_NFISCAL_CODFORNECEDOR on NFISCAL (CODIGOFORNECEDOR);
create descending index IX_NFISCAL_CODIGO_DESC on NFISCAL (CODIGO);
create descending index IX_NFISCAL_DATA_DESC on NFISCAL (DATA, NOTAFISCAL, FORNECEDOR);
create descending index IX_NFISCAL_NOTA_DESC on NFISCAL (NOTAFISCAL, FORNECEDOR);
create descending index IX_NFISCAL_FORNECEDOR_DESC on NFISCAL (FORNECEDOR, DATA, NOTAFISCAL);

-- Purchased items, one per item line of an invoice (same NOTAFISCAL and CODIGOFORNECEDOR).
create table COMPRAS (
    ESTACAO varchar(2) not null,
    CODCOMPRA integer not null,
    DATA date not null,
    NOTAFISCAL varchar(10) not null,
    FORNECEDOR varchar(40),
    COMPONENTE varchar(70) not null,
    LOTE varchar(30),
    QUANTIDADE decimal(15,5),
    UNIDADE varchar(3),
    PRECOUNITUS decimal(15,5),
    PRECOUNITR decimal(15,5),
    FABRICACAO date,
    VALIDADE date,
    USADO varchar(1),
    SALDO decimal(15,5),
    ETIQUETA varchar(1),
    RESPONSAVEL varchar(20),
    CODIGO varchar(13),
    SITUACAO varchar(9),
    FABRICANTE varchar(40),
    SITUACAOMATP varchar(20),
    DENSIDADE decimal(15,2),
    FATORCORRECAO decimal(15,2),
    FATORDILUICAO decimal(15,2),
    LABORATORIO varchar(30),
    CODIGOFORNECEDOR varchar(4) not null,
    OBSERVACAO varchar(80),
    constraint PK_COMPRAS primary key (CODCOMPRA)
);
create index IX_COMPRAS_NOTA on COMPRAS (NOTAFISCAL, CODIGOFORNECEDOR);
create index IX_COMPRAS_DATA on COMPRAS (DATA, NOTAFISCAL, FORNECEDOR, RESPONSAVEL);
create index IX_COMPRAS_COMPONENTE on COMPRAS (COMPONENTE);
create index IX_COMPRAS_VALIDADE on COMPRAS (VALIDADE);
create index IX_COMPRAS_SITUACAO on COMPRAS computed by (upper(SITUACAO));
create index IX_COMPRAS_LOTE on COMPRAS (LOTE);
create index IX_COMPRAS_FORNECEDOR on COMPRAS (FORNECEDOR);
create index IX_COMPRAS_FORNECEDOR_DATA on COMPRAS (FORNECEDOR, DATA);
create index IX_COMPRAS_DATA_COMPONENTE on COMPRAS (DATA, NOTAFISCAL, COMPONENTE);
create descending index IX_COMPRAS_COMPONENTE_DESC on COMPRAS (COMPONENTE);
create descending index IX_COMPRAS_VALIDADE_DESC on COMPRAS (VALIDADE);
create descending index IX_COMPRAS_LOTE_DESC on COMPRAS (LOTE);
create descending index IX_COMPRAS_FORNECEDOR_DESC on COMPRAS (FORNECEDOR, DATA);
create descending index IX_COMPRAS_NOTA_DESC on COMPRAS (NOTAFISCAL);
create descending index IX_COMPRAS_DATA_COMPONENTE_DESC on COMPRAS (DATA, NOTAFISCAL, COMPONENTE);
create index IX_COMPRAS_CODIGO on COMPRAS (CODIGO);
create descending index IX_COMPRAS_CODCOMPRA_DESC on COMPRAS (CODCOMPRA);

-- Stock lots.
create table ESTLOTE (
    DESCRICAO varchar(70) not null,
    LOTE varchar(30) not null,
    FORNECEDOR varchar(35) not null,
    CODIGO varchar(13),
    SALDOPREVISTO decimal(18,8),
    SALDOCORRENTE decimal(18,8),
    UNIDADE varchar(5),
    CODIGOEAN varchar(13),
    FABRICANTE varchar(35),
    VALIDADE date,
    SITUACAO varchar(10),
    DENSIDADE decimal(15,8),
    FATORCORRECAO decimal(15,8),
    LABORATORIO varchar(20),
    CONTROLADA varchar(3),
    PRECOCUSTO decimal(15,8),
    PRECOVENDA decimal(15,8),
    ESTOQUECUSTO decimal(15,8),
    ESTOQUEVENDA decimal(15,8),
    constraint PK_ESTLOTE primary key (DESCRICAO, LOTE, FORNECEDOR)
);
create index IX_ESTLOTE_CODIGO on ESTLOTE (CODIGO);
create index IX_ESTLOTE_VALIDADE on ESTLOTE (VALIDADE);

-- Stock movements.
create table MOVEST (
    CODMOVEST integer not null,
    ESTACAO varchar(2),
    NPEDIDO integer,
    CODCOMPRA integer,
    CODPERDA varchar(13),
    CODIGOCQ integer,
    NFORMULA integer,
    NITEM varchar(13),
    CODPROD varchar(20),
    NNOTAFISCAL varchar(12),
    FORNECEDOR varchar(40),
    LOTE varchar(30),
    DATA date,
    DESCRICAO varchar(60),
    QUANTIDADE decimal(18,8),
    UNIDADE varchar(5),
    USADOESTPREV varchar(1),
    USADOESTCOR varchar(1),
    LABORATORIO varchar(20),
    CONTROLADA varchar(3),
    VALIDADE date,
    constraint PK_MOVEST primary key (CODMOVEST)
);
-- "ORDER BY CODMOVEST DESC" reads the last movement through the descending key.
create descending index IX_MOVEST_CODMOVEST_DESC on MOVEST (CODMOVEST);
create index IX_MOVEST_COMPRA on MOVEST (ESTACAO, CODCOMPRA, DATA, LOTE, FORNECEDOR, DESCRICAO);
create index IX_MOVEST_LOTE on MOVEST (LOTE, FORNECEDOR, CODPROD);
create descending index IX_MOVEST_CODCOMPRA_DESC on MOVEST (CODCOMPRA);

-- Suppliers.
create table FORNECED (
    CODIGO varchar(4) not null,
    NOME varchar(40),
    NOMEFANTASIA varchar(40),
    ENDERECO varchar(40),
    COMPLEMENTO varchar(40),
    CEP varchar(10),
    CIDADE varchar(30),
    ESTADO varchar(2),
    TEL varchar(30),
    FAX varchar(20),
    E_MAIL varchar(40),
    SITE varchar(40),
    CNPJ varchar(20),
    IE varchar(20),
    IM varchar(20),
    PRAZO_PAGAMENTO integer,
    constraint PK_FORNECED primary key (CODIGO)
);
create index IX_FORNECED_NOMEFANTASIA on FORNECED (NOMEFANTASIA);
create index IX_FORNECED_CNPJ on FORNECED (CNPJ);
create descending index IX_FORNECED_CODIGO_DESC on FORNECED (CODIGO);

-- Products and components.
create table COMPONEN (
    CODIGO varchar(20) not null,
    COMPONENTE varchar(70),
    GRUPO varchar(5),
    FAMILIA varchar(30),
    UNID varchar(4),
    CONTROLADA varchar(3),
    CUSTOUNITUS decimal(15,8),
    CUSTOUNITR decimal(15,8),
    MULTIPLICADOR decimal(15,8),
    DIVISORUNID decimal(15,8),
    PRECOUS decimal(15,8),
    PRECOR decimal(15,8),
    QDEESTOQUE double precision,
    ESTOQUECRITICO double precision,
    ESTOQUEMAXIMO double precision,
    TRIBUTACAO varchar(3),
    ICMS decimal(15,8),
    FABRICANTE varchar(40),
    FORNECEDOR varchar(40),
    LOTE varchar(30),
    FATORCORRECAO decimal(15,8),
    DENSIDADE decimal(15,8),
    USAEXCIPIENTE varchar(1),
    DOSAGEMMIN decimal(15,8),
    DOSAGEMMAX decimal(15,8),
    DOSEMINPERC decimal(15,8),
    DOSEMAXPERC decimal(15,8),
    FICHATECNICA blob sub_type 0,
    EXCIPIENTE varchar(40),
    VALIDADE timestamp,
    DCB varchar(15),
    LISTA varchar(2),
    USOCONTINUO varchar(1),
    VALIDADEPRODMANIP decimal(15,8),
    FATORDILUICAO decimal(15,8),
    CORCAPSULA varchar(25),
    COMISSAO decimal(15,8),
    MEQ decimal(15,8),
    GRUPOF varchar(1),
    TEMPOMANIP integer,
    BC decimal(15,8),
    UNID_VENDA varchar(4),
    CUSTOFIXO decimal(15,8),
    USAR_FORMPRECO varchar(1),
    GRUPOS varchar(12),
    TIPORECEITA varchar(5),
    REGMSMEDICAM varchar(15),
    EXCIPIENTE2 varchar(40),
    EXCIPIENTE3 varchar(40),
    EXCIPIENTE4 varchar(40),
    EXCIPIENTE5 varchar(40),
    CLASSE varchar(20),
    DESCONTO decimal(15,8),
    CONDARMAZENA varchar(240),
    ALIQIPI decimal(15,8),
    ALIQISS decimal(15,8),
    BASEICMS decimal(15,8),
    SUBSTRIB varchar(1),
    LUCROST decimal(15,8),
    ICMSECF decimal(15,8),
    CST decimal(15,8),
    NOMECIENTIFICO varchar(40),
    GRUPOPRECO varchar(60),
    constraint PK_COMPONEN primary key (CODIGO)
);
create index IX_COMPONEN_GRUPO on COMPONEN (GRUPO, COMPONENTE);
create descending index IX_COMPONEN_GRUPO_DESC on COMPONEN (GRUPO, COMPONENTE);
create index IX_COMPONEN_COMPONENTE on COMPONEN (COMPONENTE);
create descending index IX_COMPONEN_COMPONENTE_DESC on COMPONEN (COMPONENTE);
create index IX_COMPONEN_DCB on COMPONEN (DCB);
-- The NF-e import recognises a supply product by its bar code.
create index IX_COMPONEN_DCB_GRUPO on COMPONEN (DCB, GRUPO);

-- Product synonyms.
create table SINONIMO (
    APELIDO varchar(40) not null,
    CODIGO varchar(13),
    GRUPO varchar(5),
    constraint PK_SINONIMO primary key (APELIDO)
);

-- Unit names.
create table UNIDADES (
    UNIDADE varchar(4) not null
);
create index IX_UNIDADES on UNIDADES (UNIDADE);

-- Purchase-unit conversions.
create table TABFORMP (
    UNID_COMPONENTE varchar(3),
    DIV_UNID_COMPONENTE integer,
    UNID_COMPRAS varchar(3),
    MULTIPLICADOR double precision
);
create index IX_TABFORMP on TABFORMP (UNID_COMPONENTE);

-- Dollar rate (one row).
create table COTDOLAR (
    COTDOLAR decimal(15,2)
);

-- Users; name and password in encoded form.
create table USUARIOS (
    USUARIO varchar(30) not null,
    CODIGO varchar(10),
    SENHA varchar(12),
    ACESSO varchar(100),
    ARQUIVO varchar(8),
    LOGADO varchar(1),
    ESTACAO varchar(15),
    CONSIST_INICIAL varchar(1),
    DEFVIDEOKOR integer,
    constraint PK_USUARIOS primary key (USUARIO)
);

-- Workstations, each naming its user.
create table ESTACOES (
    ESTACAO varchar(3) not null,
    DATBASNAM varchar(60),
    TIPO varchar(16),
    ATCAIXA varchar(60),
    ESVAZIAR varchar(3),
    EMUSO varchar(3),
    CAMINHOREQUISICAO varchar(80),
    CAMINHOOM varchar(80),
    CAMINHOECF varchar(80),
    CAMINHOSEQUENCIAL1 varchar(80),
    CAMINHO2 varchar(80),
    ROTULO1 varchar(80),
    ROTULO2 varchar(80),
    ROTULO3 varchar(80),
    ROTULO4 varchar(80),
    ROTULO5 varchar(80),
    ROTULO6 varchar(80),
    USUARIO varchar(60),
    CNPJ varchar(14),
    constraint PK_ESTACOES primary key (ESTACAO)
);
-- The login finds its workstation by "upper(USUARIO) = ...".
create index IX_ESTACOES_USUARIO on ESTACOES computed by (upper(USUARIO));

-- Stock locations of each store.
create table TABLAB (
    LABORATORIO varchar(20),
    LOJA varchar(14)
);
create index IX_TABLAB_LOJA on TABLAB (LOJA);

-- Payment forms.
create table FORMASPG (
    CODIGOFP integer not null,
    TIPO varchar(15),
    DESCRICAO varchar(40),
    DIAS varchar(250),
    QDEPARCELAS integer,
    TAXA1 decimal(15,2),
    TAXA2 decimal(15,2),
    CTABANCO varchar(15),
    FORMAPAG varchar(15),
    QAUT varchar(1),
    constraint PK_FORMASPG primary key (CODIGOFP)
);
create index IX_FORMASPG_DESCRICAO on FORMASPG (DESCRICAO);

-- Accounts payable, one row per instalment due.
create table CTAPAGAR (
    CODCTAPAGAR integer not null,
    CODPLANOCT integer,
    DESCRICAO varchar(60),
    VALOR decimal(15,2),
    VENCIMENTO date,
    CODBARRA varchar(40),
    DATAPAGTO date,
    VALORPAGO decimal(15,2),
    SITUACAO varchar(30),
    COMPETENCIA varchar(20),
    FUNCIONARIO varchar(30),
    SITUACAOORIGINAL varchar(30),
    OBSERVACOES varchar(100),
    constraint PK_CTAPAGAR primary key (CODCTAPAGAR)
);
create index IX_CTAPAGAR_DESCRICAO on CTAPAGAR (DESCRICAO);
create index IX_CTAPAGAR_VENCIMENTO on CTAPAGAR (VENCIMENTO);
create descending index IX_CTAPAGAR_CODIGO_DESC on CTAPAGAR (CODCTAPAGAR);

-- Custom instalments of an invoice.
create table PAGDIVER (
    CODPAGDIVER integer not null,
    ORDEM integer,
    DATA date,
    VALOR decimal(15,2),
    NFISCAL varchar(15),
    FORNECEDOR varchar(40),
    PERCENTUAL double precision,
    VALORTOTAL decimal(15,2),
    constraint PK_PAGDIVER primary key (CODPAGDIVER)
);
create index IX_PAGDIVER_NOTA on PAGDIVER (NFISCAL, FORNECEDOR);
create descending index IX_PAGDIVER_CODIGO_DESC on PAGDIVER (CODPAGDIVER);
