-- The workstation's own database: the report period. Default character set WIN1252, dialect 3.

create table PERIODO (
    DATAINICIAL date,
    DATAFINAL date,
    HORAINICIAL time,
    HORAFINAL time,
    CHAVE varchar(1),
    ESTACAO varchar(2),
    NPEDIDO integer,
    NFORMULA integer,
    VALORTOTAL decimal(15,8),
    VALORTOTAL2 decimal(15,8)
);
