/*подключение библиотеки расширенной математики*/
function целое_случайное_число(){
  var p = arguments[0];
  var q = arguments[1];
  return Math.round(Math.random() * (p - q)) + q;
}
function кв_корень(){
  var x = arguments[0];
  if (x >= 0) {
    return x ** (1/2);
  }
  return (-x) ** (1/2) + "i";
}
function куб_корень(){
  var x = arguments[0];
  return x ** (1/3);
}
function корень(){
  var x = arguments[0], n = arguments[1];
  return x ** (1/n);
}
function умножение(а, б){
  if (typeof а === "string") {
    return а.repeat(б);
  }
  if (typeof б === "string") {
    return б.repeat(а);
  }
  if (typeof а === "number" && typeof б === "number") {
    return а * б;
  }
}
function преобразовать_в_число(){
  var x = arguments[0];
  if (!isNaN(x)) {
    return Number(x);
  }
  return x.length;
}
function наверное(а = 0){
  return Math.random() + а > 0.5;
}
function примерно_равно(){
  var x = преобразовать_в_число(arguments[0]);
  var y = преобразовать_в_число(arguments[1]);
  return Math.round(x) == Math.round(y);
}
function сложение_нецелых(){
  var x = arguments[0];
  var y = arguments[1];
  return (x * 10000000 + y * 10000000) / 10000000;
}
var ЛУМС = class {
  constructor(с, ф, т){
    this.содержимое = с;
    this.изменить = (н) => {
      if (typeof this.содержимое === т) {
        this.содержимое = н;
      } else {
        try {
          throw new Error("У класса ЛУМС не тот тип!");
        } catch (ошибка) {
          alert(ошибка.message);
        }
      }
      ф(this.содержимое);
    };
  }
};
/*конец библиотеки. Дальше можете писать свой код!*/
