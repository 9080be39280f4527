// Ошибки файла: ставится, только если у страницы ещё нет своего window.onerror.
if (typeof window !== 'undefined' && !window.onerror) {
  window.onerror = function (сообщение, источник, строка) {
    // Вычитаются строки вашего html выше файла и строки самого файла выше вашей программы;
    // ошибка без номера строки (скрипт с другого адреса) остаётся со строкой 0.
    var номерКода = строка ? строка - __LUM_OFFSET__ - __FILE_LINES__ : 0;
    var карта = window.__LUM_LINES__;
    var строкаПрограммы = (карта && карта[номерКода - 1]) ? карта[номерКода - 1] : номерКода;
    var текст = (сообщение + '')
      .replace('Uncaught ', '')
      .replace('SyntaxError:', 'в синтаксисе:')
      .replace('ReferenceError:', 'при использовании ссылки:')
      .replace('is not defined', 'не определена/объявлена')
      .replace('TypeError:', 'типа:')
      .replace('is not a function', 'не является функцией')
      .replace('Assignment to constant variable', 'значение константы менять нельзя!');
    consolelog('У вас ошибка ' + текст + ' (около строки ' + строкаПрограммы + ')');
  };
}
