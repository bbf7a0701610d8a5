/* Schema level 1: what the law asks of each decision. A database made by an
   earlier version gains these tables when the program opens it; the level
   reached is kept in SYS_VERSION.ESQUEMA. Nothing of the earlier tables
   changes: a convocation without rows here has every point at simple
   majority, no call recorded, no debtor restored and no objection. */

/* Per convocation: the call the meeting was held in (0 not recorded, 1 first,
   2 second) and the majority each agenda point needs (0 simple, 1 three
   fifths, 2 one third, 3 owners and coefficients, 4 unanimity). */
CREATE TABLE ACUERDOS (
  COMUNIDAD       INTEGER NOT NULL,
  CONVOCATORIA    INTEGER NOT NULL,
  LLAMADA         SMALLINT DEFAULT 0,
  M1              SMALLINT DEFAULT 0,
  M2              SMALLINT DEFAULT 0,
  M3              SMALLINT DEFAULT 0,
  M4              SMALLINT DEFAULT 0,
  M5              SMALLINT DEFAULT 0,
  M6              SMALLINT DEFAULT 0,
  M7              SMALLINT DEFAULT 0,
  M8              SMALLINT DEFAULT 0,
  M9              SMALLINT DEFAULT 0,
  M10             SMALLINT DEFAULT 0,
  CONSTRAINT PK_ACUERDOS PRIMARY KEY (CONVOCATORIA, COMUNIDAD),
  CONSTRAINT CK_ACUERDOS_LLAMADA CHECK (LLAMADA BETWEEN 0 AND 2)
);

/* Owners with a debt whom the meeting let vote (they paid, or disputed the
   debt in time). */
CREATE TABLE DEUDORES_VOTAN (
  COMUNIDAD       INTEGER NOT NULL,
  CONVOCATORIA    INTEGER NOT NULL,
  PROPIETARIO     INTEGER NOT NULL,
  CONSTRAINT PK_DEUDORES_VOTAN PRIMARY KEY (PROPIETARIO, CONVOCATORIA, COMUNIDAD)
);

/* Absent owners who objected to a point's decision, and when. */
CREATE TABLE OPOSICIONES (
  COMUNIDAD       INTEGER NOT NULL,
  CONVOCATORIA    INTEGER NOT NULL,
  PROPIETARIO     INTEGER NOT NULL,
  PUNTO           INTEGER NOT NULL,
  FECHA           DATE,
  CONSTRAINT PK_OPOSICIONES PRIMARY KEY (PUNTO, PROPIETARIO, CONVOCATORIA, COMUNIDAD)
);

/* They go with their convocation. */
SET TERM ^ ;
CREATE TRIGGER CONVOCATORIAS_ACUERDOS FOR CONVOCATORIAS
ACTIVE AFTER DELETE POSITION 10
AS
BEGIN
  DELETE FROM ACUERDOS WHERE COMUNIDAD = OLD.COMUNIDAD AND CONVOCATORIA = OLD.CODIGO;
  DELETE FROM DEUDORES_VOTAN WHERE COMUNIDAD = OLD.COMUNIDAD AND CONVOCATORIA = OLD.CODIGO;
  DELETE FROM OPOSICIONES WHERE COMUNIDAD = OLD.COMUNIDAD AND CONVOCATORIA = OLD.CODIGO;
END^
SET TERM ; ^
