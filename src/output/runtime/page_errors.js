// Ошибки страницы: сообщение браузера по-русски красной строкой под выводом программы, с подсказкой и номером строки вашей программы.
__LUM__.сдвиг(function () { return __OFFSET__; });
window.onerror = function (сообщение, источник, строка, столбец, ошибка) {
  // Проверки и сторож циклов слоя ЛУМ уже показали своё сообщение.
  if (__LUM__.своя(ошибка)) return false;
  var номерКода = строка - __OFFSET__;
  var карта = window.__LUM_LINES__;
  var строкаПрограммы = (карта && карта[номерКода - 1]) ? карта[номерКода - 1] : __LUM__.строкаОшибки(номерКода, ошибка);
  var текст = (сообщение + '')
    .replace('Uncaught ', '')
    .replace('SyntaxError:', 'в синтаксисе:')
    .replace('Unexpected token', 'неуместный символ')
    .replace('ReferenceError:', 'при использовании ссылки:')
    .replace('is not defined', 'не определена/объявлена')
    .replace('TypeError:', 'типа:')
    .replace('is not a function', 'не является функцией')
    .replace('missing', 'пропущено')
    .replace('after argument list', 'после перечисления аргументов')
    .replace('Invalid or unexpected token', 'токен-инвалид (символ не на своем месте)')
    .replace('Unexpected identifier', 'идентифекатор-инвалид (не на своем месте)')
    .replace('RangeError:', 'в диапозоне:')
    .replace('EvalError:', 'при выполнении выполнить код():')
    .replace('URIError:', 'при выпонении encodeURI() и/или decodeURI():')
    .replace('AggregateError:', '(несколько):')
    .replace('Assignment to constant variable', 'значение константы менять нельзя!')
    .replace('Unexpected end of input', 'неожиданный конец ввода');
  var понятно = __LUM__.перевести(текст, false);
  // Прежний вывод остаётся: сообщение дописывается красной строкой, а не заменяет панель.
  __LUM__.показать('У вас ошибка ' + понятно.текст + ' (около строки ' + строкаПрограммы + ' вашей программы)',
                   понятно.подсказка);
  return false;
};
