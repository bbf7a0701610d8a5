#!/usr/bin/env python3
"""Writes the source documents from which LibreOffice Writer makes the RTF
test corpus (see make-corpus.sh). Deterministic: the same files every run."""
import base64, struct, zlib

def png(width, height, pixel):
    raw = b''.join(b'\x00' + b''.join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))

# A 40x20 picture: left half red, right half blue.
IMAGE = png(40, 20, lambda x, y: (200, 30, 30) if x < 20 else (30, 30, 200))
open('logo.png', 'wb').write(IMAGE)

HEAD = '''<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:xlink="http://www.w3.org/1999/xlink"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">
 <office:font-face-decls>
  <style:font-face style:name="Liberation Serif" svg:font-family="'Liberation Serif'" style:font-family-generic="roman"/>
  <style:font-face style:name="Liberation Sans" svg:font-family="'Liberation Sans'" style:font-family-generic="swiss"/>
  <style:font-face style:name="DejaVu Sans Mono" svg:font-family="'DejaVu Sans Mono'" style:font-family-generic="modern"/>
 </office:font-face-decls>
 <office:styles>
  <style:default-style style:family="paragraph">
   <style:text-properties style:font-name="Liberation Serif" fo:font-size="12pt" fo:language="es" fo:country="ES"/>
  </style:default-style>
  <style:style style:name="Standard" style:family="paragraph"/>
 </office:styles>
'''
TAIL = ''' </office:body>
</office:document>
'''

def fodt(name, automatic, body):
    with open(name, 'w', encoding='utf-8') as f:
        f.write(HEAD + ' <office:automatic-styles>\n' + automatic + ' </office:automatic-styles>\n'
                + ' <office:body>\n  <office:text>\n' + body + '  </office:text>\n' + TAIL)

fodt('carta.fodt', '''
  <style:style style:name="PC" style:family="paragraph"><style:paragraph-properties fo:text-align="center"/></style:style>
  <style:style style:name="PR" style:family="paragraph"><style:paragraph-properties fo:text-align="end"/></style:style>
  <style:style style:name="PJ" style:family="paragraph"><style:paragraph-properties fo:text-align="justify" fo:margin-left="1cm" fo:margin-right="0.5cm" fo:text-indent="0.75cm" fo:margin-top="0.2cm" fo:margin-bottom="0.3cm"/></style:style>
  <style:style style:name="PB" style:family="paragraph"><style:paragraph-properties fo:break-before="page"/></style:style>
  <style:style style:name="PT" style:family="paragraph"><style:paragraph-properties><style:tab-stops><style:tab-stop style:position="4cm"/><style:tab-stop style:position="12cm" style:type="right"/></style:tab-stops></style:paragraph-properties></style:style>
  <style:style style:name="TB" style:family="text"><style:text-properties fo:font-weight="bold" fo:font-size="16pt" style:font-name="Liberation Sans"/></style:style>
  <style:style style:name="TI" style:family="text"><style:text-properties fo:font-style="italic"/></style:style>
  <style:style style:name="TU" style:family="text"><style:text-properties style:text-underline-style="solid" style:text-underline-width="auto" style:text-underline-color="font-color"/></style:style>
  <style:style style:name="TS" style:family="text"><style:text-properties style:text-line-through-style="solid"/></style:style>
  <style:style style:name="TR" style:family="text"><style:text-properties fo:color="#c00000"/></style:style>
  <style:style style:name="TM" style:family="text"><style:text-properties style:font-name="DejaVu Sans Mono" fo:font-size="10pt"/></style:style>
''', '''   <text:p text:style-name="PC"><text:span text:style-name="TB">Convocatoria de Junta General Ordinaria</text:span></text:p>
   <text:p text:style-name="PR">Madrid, a 3 de marzo de 2024</text:p>
   <text:p text:style-name="Standard">Estimado señor/señora:</text:p>
   <text:p text:style-name="PJ">Por la presente se le convoca a la junta que se celebrará en <text:span text:style-name="TI">[Lugar]</text:span>, el día [Fecha1], a las [Hora1] en <text:span text:style-name="TU">primera convocatoria</text:span> y a las [Hora2] en segunda. La derrama asciende a 1.250,00 €; el 2º piso y el ático <text:span text:style-name="TS">no</text:span> están exentos.</text:p>
   <text:p text:style-name="PT">Código<text:tab/>Propietario<text:tab/>Cuota</text:p>
   <text:p text:style-name="Standard"><text:span text:style-name="TR">Atención:</text:span> línea uno<text:line-break/>línea dos con ñandú y pingüino</text:p>
   <text:p text:style-name="Standard"><text:span text:style-name="TM">Ref. 1º-A/ÁÉÍÓÚ</text:span></text:p>
   <text:p text:style-name="PB">Orden del día</text:p>
   <text:p text:style-name="Standard">1º.- Aprobación de cuentas.</text:p>
   <text:p text:style-name="Standard">2º.- Nombramiento de presidente.</text:p>
''')

fodt('tabla.fodt', '''
  <style:style style:name="Tab1" style:family="table"><style:table-properties style:width="15cm" table:align="left"/></style:style>
  <style:style style:name="Tab1.A" style:family="table-column"><style:table-column-properties style:column-width="7cm"/></style:style>
  <style:style style:name="Tab1.B" style:family="table-column"><style:table-column-properties style:column-width="5cm"/></style:style>
  <style:style style:name="Tab1.C" style:family="table-column"><style:table-column-properties style:column-width="3cm"/></style:style>
  <style:style style:name="Tab1.Cell" style:family="table-cell"><style:table-cell-properties fo:border="0.5pt solid #000000" fo:padding="0.1cm"/></style:style>
  <style:style style:name="Tab1.Head" style:family="table-cell"><style:table-cell-properties fo:border="0.5pt solid #000000" fo:padding="0.1cm" fo:background-color="#dddddd"/></style:style>
  <style:style style:name="PH" style:family="paragraph"><style:text-properties fo:font-weight="bold"/></style:style>
  <style:style style:name="PN" style:family="paragraph"><style:paragraph-properties fo:text-align="end"/></style:style>
''', '''   <text:p text:style-name="Standard">Relación de propietarios asistentes:</text:p>
   <table:table table:name="Tabla1" table:style-name="Tab1">
    <table:table-column table:style-name="Tab1.A"/>
    <table:table-column table:style-name="Tab1.B"/>
    <table:table-column table:style-name="Tab1.C"/>
    <table:table-row>
     <table:table-cell table:style-name="Tab1.Head"><text:p text:style-name="PH">Propietario</text:p></table:table-cell>
     <table:table-cell table:style-name="Tab1.Head"><text:p text:style-name="PH">Finca</text:p></table:table-cell>
     <table:table-cell table:style-name="Tab1.Head"><text:p text:style-name="PH">Coeficiente</text:p></table:table-cell>
    </table:table-row>
    <table:table-row>
     <table:table-cell table:style-name="Tab1.Cell"><text:p text:style-name="Standard">José Muñoz Peña</text:p></table:table-cell>
     <table:table-cell table:style-name="Tab1.Cell"><text:p text:style-name="Standard">1º A</text:p></table:table-cell>
     <table:table-cell table:style-name="Tab1.Cell"><text:p text:style-name="PN">4,25000%</text:p></table:table-cell>
    </table:table-row>
    <table:table-row>
     <table:table-cell table:style-name="Tab1.Cell"><text:p text:style-name="Standard">Begoña Ibáñez</text:p><text:p text:style-name="Standard">(representada)</text:p></table:table-cell>
     <table:table-cell table:style-name="Tab1.Cell"><text:p text:style-name="Standard">Ático</text:p></table:table-cell>
     <table:table-cell table:style-name="Tab1.Cell"><text:p text:style-name="PN">12,50000%</text:p></table:table-cell>
    </table:table-row>
    <table:table-row>
     <table:table-cell table:style-name="Tab1.Cell" table:number-columns-spanned="2"><text:p text:style-name="PH">Total</text:p></table:table-cell>
     <table:covered-table-cell/>
     <table:table-cell table:style-name="Tab1.Cell"><text:p text:style-name="PN">16,75000%</text:p></table:table-cell>
    </table:table-row>
   </table:table>
   <text:p text:style-name="Standard">Fin de la relación.</text:p>
''')

fodt('imagen.fodt', '''
  <style:style style:name="fr1" style:family="graphic"><style:graphic-properties style:wrap="none" style:vertical-pos="top" style:vertical-rel="baseline" style:horizontal-pos="left" style:horizontal-rel="paragraph"/></style:style>
''', '''   <text:p text:style-name="Standard">Antes de la imagen, año 2024.</text:p>
   <text:p text:style-name="Standard">Logotipo: <draw:frame draw:style-name="fr1" draw:name="Logo" text:anchor-type="as-char" svg:width="2cm" svg:height="1cm"><draw:image><office:binary-data>''' + base64.b64encode(IMAGE).decode() + '''</office:binary-data></draw:image></draw:frame> de la comunidad.</text:p>
   <text:p text:style-name="Standard">Después de la imagen: señal de 15 €.</text:p>
''')

with open('notas.html', 'w', encoding='utf-8') as f:
    f.write('''<!DOCTYPE html>
<html lang="es"><head><meta charset="utf-8"><title>Notas de la junta</title></head>
<body>
<h1>Notas de trabajo</h1>
<p>Comunidad de propietarios: <b>Calle Mayor, 5</b> &ndash; <i>Alcalá de Henares</i></p>
<ul><li>Revisar el ascensor</li><li>Pintar la fachada (presupuesto: 3.400 €)</li></ul>
<table border="1"><tr><th>Punto</th><th>Acuerdo</th></tr>
<tr><td>1º</td><td>Aprobado por unanimidad</td></tr>
<tr><td>2º</td><td>Rechazado</td></tr></table>
<p style="page-break-before: always">Segunda página: «comillas» y “tipográficas”.</p>
</body></html>
''')

with open('texto.txt', 'w', encoding='utf-8') as f:
    f.write('Acta de la reunión\nAsistentes: Íñigo, Pilar y María José\n\nSe acuerda una derrama de 500 € por vivienda (1º, 2º y 3º).\n')
