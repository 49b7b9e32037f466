<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
<context>
    <name>ado</name>
    <message>
        <source>The file &apos;%1&apos; is not a database file.</source>
        <translation>El archivo &apos;%1&apos; no es un archivo de base de datos.</translation>
    </message>
    <message>
        <source>The database &apos;%1&apos; is locked by another user or program; try again later.</source>
        <translation>La base de datos &apos;%1&apos; está bloqueada por otro usuario o programa; vuelva a intentarlo más tarde.</translation>
    </message>
    <message>
        <source>The database &apos;%1&apos; is read-only; it cannot be changed.</source>
        <translation>La base de datos &apos;%1&apos; es de solo lectura; no se puede modificar.</translation>
    </message>
    <message>
        <source>The database &apos;%1&apos; is damaged.</source>
        <translation>La base de datos &apos;%1&apos; está dañada.</translation>
    </message>
    <message>
        <source>Cannot open the file &apos;%1&apos;.</source>
        <translation>No se puede abrir el archivo &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>No such table or query: &apos;%1&apos;.</source>
        <translation>No existe la tabla o consulta &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>No such column: &apos;%1&apos;.</source>
        <translation>No existe la columna &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>The database &apos;%1&apos; could not do what was asked of it.</source>
        <translation>La base de datos &apos;%1&apos; no ha podido hacer lo que se le pedía.</translation>
    </message>
    <message>
        <source>No current record: the recordset is at its beginning or end, or holds no rows.</source>
        <translation>No hay ningún registro actual: el conjunto de registros está al principio o al final, o no contiene filas.</translation>
    </message>
    <message>
        <source>The current record has been deleted.</source>
        <translation>El registro actual ha sido eliminado.</translation>
    </message>
    <message>
        <source>The query expects %1 parameter value(s) but %2 were given.</source>
        <translation>La consulta espera %1 valor(es) de parámetro, pero se han dado %2.</translation>
    </message>
    <message>
        <source>The connection string names no data source.</source>
        <translation>La cadena de conexión no indica ningún origen de datos.</translation>
    </message>
    <message>
        <source>File not found: &apos;%1&apos;.</source>
        <translation>No se encuentra el archivo &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is a folder, not a database file.</source>
        <translation>&apos;%1&apos; es una carpeta, no un archivo de base de datos.</translation>
    </message>
    <message>
        <source>Wrong password: not a valid password for the database &apos;%1&apos;.</source>
        <translation>Contraseña incorrecta: no es una contraseña válida para la base de datos &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>The connection is not open.</source>
        <translation>La conexión no está abierta.</translation>
    </message>
    <message>
        <source>The statement expects more parameter values than the %1 given.</source>
        <translation>La instrucción espera más valores de parámetro que los %1 dados.</translation>
    </message>
    <message>
        <source>The statement expects %1 parameter value(s) but %2 were given.</source>
        <translation>La instrucción espera %1 valor(es) de parámetro, pero se han dado %2.</translation>
    </message>
    <message>
        <source>The file &apos;%1&apos; exists already.</source>
        <translation>El archivo &apos;%1&apos; ya existe.</translation>
    </message>
    <message>
        <source>Cannot create the database &apos;%1&apos;.</source>
        <translation>No se puede crear la base de datos &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>The recordset is not open.</source>
        <translation>El conjunto de registros no está abierto.</translation>
    </message>
    <message>
        <source>The recordset&apos;s connection has been closed.</source>
        <translation>La conexión del conjunto de registros se ha cerrado.</translation>
    </message>
    <message>
        <source>This recordset is read-only: its query does not name the rows of one table.</source>
        <translation>Este conjunto de registros es de solo lectura: su consulta no designa las filas de una sola tabla.</translation>
    </message>
    <message>
        <source>No field at position %1: the recordset has %2 field(s).</source>
        <translation>No hay ningún campo en la posición %1: el conjunto de registros tiene %2 campo(s).</translation>
    </message>
</context>
<context>
    <name>controls</name>
    <message>
        <source>There is no file %1 in the list.</source>
        <translation>No hay ningún archivo %1 en la lista.</translation>
    </message>
    <message>
        <source>There is no picture %1.</source>
        <translation>No hay ninguna imagen %1.</translation>
    </message>
    <message>
        <source>There is no tree node %1.</source>
        <translation>No hay ningún nodo %1 en el árbol.</translation>
    </message>
</context>
<context>
    <name>scores</name>
    <message>
        <source>CSV for spreadsheets in Spanish (semicolons) (*.csv)</source>
        <translation>CSV para hojas de cálculo en español (punto y coma) (*.csv)</translation>
    </message>
    <message>
        <source>The scores have been saved in this file:</source>
        <translation>Las puntuaciones se han guardado en este archivo:</translation>
    </message>
    <message>
        <source>%1 already exists. Do you want to replace it?</source>
        <translation>%1 ya existe. ¿Desea reemplazarlo?</translation>
    </message>
</context>
<context>
    <name>students</name>
    <message>
        <source>Face %1</source>
        <translation>Cara %1</translation>
    </message>
</context>
<context>
    <name>systemReason</name>
    <message>
        <source>Permission denied</source>
        <translation>Permiso denegado</translation>
    </message>
    <message>
        <source>No such file or directory</source>
        <translation>No existe el archivo o la carpeta</translation>
    </message>
    <message>
        <source>No space left on device</source>
        <translation>No queda espacio en el dispositivo</translation>
    </message>
    <message>
        <source>Too many open files</source>
        <translation>Hay demasiados archivos abiertos</translation>
    </message>
    <message>
        <source>Read-only file system</source>
        <translation>El sistema de archivos es de solo lectura</translation>
    </message>
    <message>
        <source>Is a directory</source>
        <translation>Es una carpeta</translation>
    </message>
    <message>
        <source>Not a directory</source>
        <translation>No es una carpeta</translation>
    </message>
    <message>
        <source>File exists</source>
        <translation>El archivo ya existe</translation>
    </message>
    <message>
        <source>Directory not empty</source>
        <translation>La carpeta no está vacía</translation>
    </message>
    <message>
        <source>Disk quota exceeded</source>
        <translation>Se ha superado la cuota de disco</translation>
    </message>
    <message>
        <source>Input/output error</source>
        <translation>Error de entrada o salida</translation>
    </message>
    <message>
        <source>File name too long</source>
        <translation>El nombre del archivo es demasiado largo</translation>
    </message>
    <message>
        <source>File too large</source>
        <translation>El archivo es demasiado grande</translation>
    </message>
    <message>
        <source>Device or resource busy</source>
        <translation>El dispositivo o el recurso está ocupado</translation>
    </message>
    <message>
        <source>Text file busy</source>
        <translation>El archivo está en uso</translation>
    </message>
    <message>
        <source>Operation not permitted</source>
        <translation>Operación no permitida</translation>
    </message>
    <message>
        <source>Invalid argument</source>
        <translation>Argumento no válido</translation>
    </message>
    <message>
        <source>Invalid cross-device link</source>
        <translation>No se puede mover entre dispositivos distintos</translation>
    </message>
    <message>
        <source>Too many levels of symbolic links</source>
        <translation>Demasiados niveles de enlaces simbólicos</translation>
    </message>
    <message>
        <source>No such device</source>
        <translation>No existe el dispositivo</translation>
    </message>
    <message>
        <source>No such device or address</source>
        <translation>No existe el dispositivo o la dirección</translation>
    </message>
    <message>
        <source>Cannot allocate memory</source>
        <translation>No hay memoria suficiente</translation>
    </message>
    <message>
        <source>Resource temporarily unavailable</source>
        <translation>El recurso no está disponible por el momento</translation>
    </message>
    <message>
        <source>Stale file handle</source>
        <translation>El identificador del archivo ya no es válido</translation>
    </message>
    <message>
        <source>The file %1 cannot be read: %2</source>
        <translation>No se puede leer el archivo %1: %2</translation>
    </message>
</context>
<context>
    <name>wordList</name>
    <message>
        <source>espeak-ng wrote no WAVE recording for &quot;%1&quot;</source>
        <translation>espeak-ng no ha grabado ningún sonido WAVE para &quot;%1&quot;</translation>
    </message>
    <message>
        <source>cannot create a temporary folder for recordings</source>
        <translation>no se puede crear una carpeta temporal para las grabaciones</translation>
    </message>
    <message>
        <source>cannot start espeak-ng (is it installed?): %1</source>
        <translation>no se puede iniciar espeak-ng (¿está instalado?): %1</translation>
    </message>
    <message>
        <source>espeak-ng failed on &quot;%1&quot; (voice %2): %3</source>
        <translation>espeak-ng ha fallado con &quot;%1&quot; (voz %2): %3</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is no usable file name</source>
        <translation>&apos;%1&apos; no sirve como nombre de archivo</translation>
    </message>
    <message>
        <source>&apos;%1&apos; exists already</source>
        <translation>&apos;%1&apos; ya existe</translation>
    </message>
    <message>
        <source>cannot write &apos;%1&apos;: %2</source>
        <translation>no se puede escribir &apos;%1&apos;: %2</translation>
    </message>
    <message>
        <source>cannot write &apos;%1&apos;</source>
        <translation>no se puede escribir &apos;%1&apos;</translation>
    </message>
    <message>
        <source>cannot unpack the collection: %1</source>
        <translation>no se puede desempaquetar la colección: %1</translation>
    </message>
    <message>
        <source>line %1: %2</source>
        <translation>línea %1: %2</translation>
    </message>
    <message>
        <source>the collection holds no note types</source>
        <translation>la colección no tiene tipos de nota</translation>
    </message>
    <message>
        <source>the compressed data ends too early</source>
        <translation>los datos comprimidos terminan antes de tiempo</translation>
    </message>
    <message>
        <source>the package holds no collection</source>
        <translation>el paquete no contiene ninguna colección</translation>
    </message>
    <message>
        <source>the package holds no file &apos;%1&apos;</source>
        <translation>el paquete no contiene el archivo &apos;%1&apos;</translation>
    </message>
    <message>
        <source>the package holds no recording &apos;%1&apos;</source>
        <translation>el paquete no contiene la grabación &apos;%1&apos;</translation>
    </message>
    <message>
        <source>the package&apos;s file &apos;%1&apos; is damaged</source>
        <translation>el archivo &apos;%1&apos; del paquete está dañado</translation>
    </message>
    <message>
        <source>the package&apos;s media list is damaged</source>
        <translation>la lista de archivos multimedia del paquete está dañada</translation>
    </message>
    <message>
        <source>the recording holds no sound</source>
        <translation>la grabación no contiene sonido</translation>
    </message>
    <message>
        <source>this is no vocabulary file of version 2</source>
        <translation>no es un archivo de vocabulario de la versión 2</translation>
    </message>
    <message>
        <source>line %1</source>
        <translation>línea %1</translation>
    </message>
    <message>
        <source>note %1</source>
        <translation>nota %1</translation>
    </message>
    <message>
        <source>entry %1</source>
        <translation>entrada %1</translation>
    </message>
    <message>
        <source>%1: the recording &apos;%2&apos; cannot be played (%3); espeak-ng speaks &quot;%4&quot; instead</source>
        <translation>%1: la grabación &apos;%2&apos; no se puede reproducir (%3); espeak-ng pronuncia &quot;%4&quot; en su lugar</translation>
    </message>
</context>
<context>
    <name>frmImport</name>
    <message>
        <source>All decks</source>
        <translation>Todos los mazos</translation>
    </message>
    <message>
        <source>&amp;Deck:</source>
        <translation>&amp;Mazo:</translation>
    </message>
    <message>
        <source>Deck to import</source>
        <translation>Mazo que importar</translation>
    </message>
    <message>
        <source>&amp;Phrase column:</source>
        <translation>Columna de la &amp;frase:</translation>
    </message>
    <message>
        <source>S&amp;wap phrase and translation</source>
        <translation>Inter&amp;cambiar frase y traducción</translation>
    </message>
    <message>
        <source>&amp;Second translation:</source>
        <translation>&amp;Segunda traducción:</translation>
    </message>
    <message>
        <source>&amp;Translation column:</source>
        <translation>Columna de la &amp;traducción:</translation>
    </message>
    <message>
        <source>automatic</source>
        <translation>automática</translation>
    </message>
    <message>
        <source>The file holds no deck named &quot;%1&quot;.</source>
        <translation>El archivo no contiene ningún mazo llamado &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; contains a control character, which is not allowed</source>
        <translation>&quot;%1&quot; contiene un carácter de control, que no está permitido</translation>
    </message>
    <message>
        <source>the row &quot;%1&quot; starts with &apos;#&apos; after the header lines and is left out</source>
        <translation>la fila &quot;%1&quot; empieza por &apos;#&apos; después de las líneas de cabecera y se omite</translation>
    </message>
    <message>
        <source>This is %1, not a word list. Save it as CSV (or as Unicode text), or use a flash-card package (.apkg, .colpkg) or a vocabulary file (.kvtml).</source>
        <translation>Esto es %1, no una lista de palabras. Guárdelo como CSV (o como texto Unicode) o use un paquete de tarjetas (.apkg, .colpkg) o un archivo de vocabulario (.kvtml).</translation>
    </message>
    <message>
        <source>an XML file</source>
        <translation>un archivo XML</translation>
    </message>
    <message>
        <source>a web page (HTML)</source>
        <translation>una página web (HTML)</translation>
    </message>
    <message>
        <source>a zip archive</source>
        <translation>un archivo zip</translation>
    </message>
    <message>
        <source>an Excel workbook (.xlsx)</source>
        <translation>un libro de Excel (.xlsx)</translation>
    </message>
    <message>
        <source>an OpenDocument spreadsheet (.ods)</source>
        <translation>una hoja de cálculo OpenDocument (.ods)</translation>
    </message>
    <message>
        <source>a Word document (.docx)</source>
        <translation>un documento de Word (.docx)</translation>
    </message>
    <message>
        <source>an older Office file (.xls or .doc)</source>
        <translation>un archivo de una versión antigua de Office (.xls o .doc)</translation>
    </message>
    <message>
        <source>a PDF document</source>
        <translation>un documento PDF</translation>
    </message>
    <message>
        <source>an SQLite database</source>
        <translation>una base de datos SQLite</translation>
    </message>
    <message>
        <source>an RTF document</source>
        <translation>un documento RTF</translation>
    </message>
    <message>
        <source>a binary file</source>
        <translation>un archivo binario</translation>
    </message>
</context>
<context>
    <name>tiling</name>
    <message>
        <source>The window has no background picture.</source>
        <translation>La ventana no tiene imagen de fondo.</translation>
    </message>
    <message>
        <source>The background picture is empty.</source>
        <translation>La imagen de fondo está vacía.</translation>
    </message>
</context>
<context>
    <name>voice</name>
    <message>
        <source>the file %1 is missing</source>
        <translation>falta el archivo %1</translation>
    </message>
    <message>
        <source>the file %1 belongs to another version of the program</source>
        <translation>el archivo %1 es de otra versión del programa</translation>
    </message>
    <message>
        <source>Recording and comparing, and hearing a phrase slowly, are not available: %1. Everything else works as usual; installing the program again brings them back.</source>
        <translation>Grabar y comparar, y escuchar una frase despacio, no están disponibles: %1. Todo lo demás funciona como siempre; al instalar el programa de nuevo vuelven a estarlo.</translation>
    </message>
</context>
<context>
    <name>classData</name>
    <message>
        <source>The program&apos;s class server library cannot be loaded (%1).</source>
        <translation>No se puede cargar la biblioteca del servidor de clase del programa (%1).</translation>
    </message>
    <message>
        <source>The program&apos;s class server library %1 is not the one this program needs.</source>
        <translation>La biblioteca del servidor de clase %1 no es la que necesita este programa.</translation>
    </message>
    <message>
        <source>Out of memory.</source>
        <translation>No queda memoria.</translation>
    </message>
    <message>
        <source>The class server %1 refused the user name or the password (%2).</source>
        <translation>El servidor de clase %1 rechazó el nombre de usuario o la contraseña (%2).</translation>
    </message>
    <message>
        <source>The class server %1 cannot be reached (%2).</source>
        <translation>No se puede llegar al servidor de clase %1 (%2).</translation>
    </message>
    <message>
        <source>A password could not be hashed: not enough memory.</source>
        <translation>No se pudo cifrar una contraseña: no hay memoria suficiente.</translation>
    </message>
    <message>
        <source>The password library cannot start.</source>
        <translation>La biblioteca de contraseñas no puede iniciarse.</translation>
    </message>
    <message>
        <source>The class server went away.</source>
        <translation>El servidor de clase ya no responde.</translation>
    </message>
    <message>
        <source>The class server went away (%1).</source>
        <translation>El servidor de clase ya no responde (%1).</translation>
    </message>
    <message>
        <source>The class server&apos;s tables are damaged (%1).</source>
        <translation>Las tablas del servidor de clase están dañadas (%1).</translation>
    </message>
    <message>
        <source>The class server answered: %1</source>
        <translation>El servidor de clase respondió: %1</translation>
    </message>
    <message>
        <source>The class server&apos;s tables are of a newer program (version %1; this program knows version %2). Install the newer program on this computer.</source>
        <translation>Las tablas del servidor de clase son de un programa más nuevo (versión %1; este programa conoce la versión %2). Instale el programa más nuevo en este ordenador.</translation>
    </message>
    <message>
        <source>The class server lacks its table %1, and this user may not make it again. Ask the server&apos;s administrator to connect once as the database&apos;s owner.</source>
        <translation>Al servidor de clase le falta su tabla %1, y este usuario no puede volver a crearla. Pida al administrador del servidor que se conecte una vez como propietario de la base de datos.</translation>
    </message>
    <message>
        <source>The class server&apos;s tables are of an older version (%1), and this user may not upgrade them. Ask the server&apos;s administrator to connect once as the database&apos;s owner.</source>
        <translation>Las tablas del servidor de clase son de una versión anterior (%1), y este usuario no puede actualizarlas. Pida al administrador del servidor que se conecte una vez como propietario de la base de datos.</translation>
    </message>
    <message>
        <source>The class server has no tables of this program yet, and this user may not make them. Ask the server&apos;s administrator to connect once as the database&apos;s owner.</source>
        <translation>El servidor de clase aún no tiene las tablas de este programa, y este usuario no puede crearlas. Pida al administrador del servidor que se conecte una vez como propietario de la base de datos.</translation>
    </message>
    <message>
        <source>The class file %1 cannot be made.</source>
        <translation>No se puede crear el archivo de la clase %1.</translation>
    </message>
    <message>
        <source>No class server is named.</source>
        <translation>No se ha indicado ningún servidor de clase.</translation>
    </message>
    <message>
        <source>Connected: the class server knows %1 computer(s) and %2 student(s).</source>
        <translation>Conectado: el servidor de clase conoce %1 ordenador(es) y %2 alumno(s).</translation>
    </message>
</context>
<context>
    <name>frmMain</name>
    <message>
        <source>Class server</source>
        <translation>Servidor de clase</translation>
    </message>
</context>
<context>
    <name>ClassSyncSchedule</name>
    <message>
        <source>The class server cannot be reached</source>
        <translation>No se puede llegar al servidor de clase</translation>
    </message>
    <message>
        <source>The class server refused the user name or the password</source>
        <translation>El servidor de clase rechazó el nombre de usuario o la contraseña</translation>
    </message>
    <message>
        <source>The class server&apos;s tables need its administrator</source>
        <translation>Las tablas del servidor de clase necesitan a su administrador</translation>
    </message>
    <message>
        <source>The class server is not working</source>
        <translation>El servidor de clase no funciona</translation>
    </message>
    <message>
        <source>%1: %2 row(s) wait on this computer and go when it is back.</source>
        <translation>%1: %2 fila(s) esperan en este ordenador y se enviarán cuando vuelva.</translation>
    </message>
    <message>
        <source>%1: this computer works on by itself.</source>
        <translation>%1: este ordenador sigue trabajando por su cuenta.</translation>
    </message>
</context>
<context>
    <name>frmAdmin</name>
    <message>
        <source>Source:</source>
        <translation>Origen:</translation>
    </message>
    <message>
        <source>this computer</source>
        <translation>este ordenador</translation>
    </message>
    <message>
        <source>the whole class</source>
        <translation>toda la clase</translation>
    </message>
    <message>
        <source>Source</source>
        <translation>Origen</translation>
    </message>
    <message>
        <source>Class server...</source>
        <translation>Servidor de clase...</translation>
    </message>
    <message>
        <source>Class server</source>
        <translation>Servidor de clase</translation>
    </message>
    <message>
        <source>State of the class server</source>
        <translation>Estado del servidor de clase</translation>
    </message>
    <message>
        <source>No class server is named: set one with the class server button.</source>
        <translation>No se ha indicado ningún servidor de clase: indíquelo con el botón del servidor de clase.</translation>
    </message>
    <message>
        <source>Reading the whole class from the class server...</source>
        <translation>Leyendo toda la clase del servidor de clase...</translation>
    </message>
    <message>
        <source>The whole class, as the class server holds it now.</source>
        <translation>Toda la clase, tal como la tiene ahora el servidor de clase.</translation>
    </message>
    <message>
        <source>The class server is away (%1). The whole class as it was last read.</source>
        <translation>El servidor de clase no responde (%1). Toda la clase tal como se leyó la última vez.</translation>
    </message>
</context>
<context>
    <name>frmClassServer</name>
    <message>
        <source>Class server</source>
        <translation>Servidor de clase</translation>
    </message>
    <message>
        <source>The computers of a class share their students and results through one PostgreSQL server. Leave the host empty to work with this computer only.</source>
        <translation>Los ordenadores de una clase comparten sus alumnos y resultados a través de un servidor PostgreSQL. Deje vacío el servidor para trabajar solo con este ordenador.</translation>
    </message>
    <message>
        <source>&amp;Host:</source>
        <translation>&amp;Servidor:</translation>
    </message>
    <message>
        <source>&amp;Port:</source>
        <translation>&amp;Puerto:</translation>
    </message>
    <message>
        <source>&amp;Database:</source>
        <translation>&amp;Base de datos:</translation>
    </message>
    <message>
        <source>&amp;User:</source>
        <translation>&amp;Usuario:</translation>
    </message>
    <message>
        <source>Pass&amp;word:</source>
        <translation>&amp;Contraseña:</translation>
    </message>
    <message>
        <source>&amp;Test connection</source>
        <translation>P&amp;robar la conexión</translation>
    </message>
    <message>
        <source>Test connection</source>
        <translation>Probar la conexión</translation>
    </message>
    <message>
        <source>Answer of the class server</source>
        <translation>Respuesta del servidor de clase</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Name the host and the database first.</source>
        <translation>Indique primero el servidor y la base de datos.</translation>
    </message>
    <message>
        <source>Trying the class server...</source>
        <translation>Probando el servidor de clase...</translation>
    </message>
</context>
</TS>
