// Ошибки страницы: сообщение браузера по-русски и номер строки вашей программы по карте строк.
window.onerror = function (сообщение, источник, строка) {
  var номерКода = строка - __OFFSET__;
  var карта = window.__LUM_LINES__;
  var строкаПрограммы = (карта && карта[номерКода - 1]) ? карта[номерКода - 1] : номерКода;
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
  consolelog('У вас ошибка ' + текст + ' (около строки ' + строкаПрограммы + ' вашей программы)');
  результат = document.getElementById("result");
  if (результат) результат.style.color = 'red';
  return false;
};
